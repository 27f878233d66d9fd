#include "frmsucesoshoy.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "colores.h"
#include "platform/ventanas.h"
#include "ventana_forma.h"

using namespace bindelora;

TfrmSucesosHoy* frmSucesosHoy = nullptr;

TfrmSucesosHoy::TfrmSucesosHoy(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(305, 166);
    QFont letra(QStringLiteral("MS Sans Serif"));
    letra.setPixelSize(11);
    setFont(letra);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(212, 208, 200));  // the button face
    setPalette(p);

    ListView->setColumnas({QStringLiteral("Texto:")});
    ListView->setAutoOrden(true);
    ListView->horizontalHeader()->hide();
    ListView->FijarAnchoColumna(0, 278);
    ListView->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(ListView, btnSalir);

    connect(btnSalir, &QPushButton::clicked, this, &TfrmSucesosHoy::btnSalirClick);
    for (QWidget* w : {static_cast<QWidget*>(img1), static_cast<QWidget*>(img2), static_cast<QWidget*>(img3),
                       static_cast<QWidget*>(img4), static_cast<QWidget*>(Image1), ListView->viewport()})
        w->installEventFilter(this);
    bindelora::VestirVentanaPequena(this, {img1, img2, img3, img4}, Image1, btnSalir,
                                    QStringLiteral(":/ventanas/sh_"));
    FormCreate();
}

void TfrmSucesosHoy::FormCreate()
{
    // Out of sight, but still the button that Escape presses.
    btnSalir->move(-100, btnSalir->y());

    ColocarMarco(this, img1, img2, img3, img4);

    // A title tab on the left, a small tab for the close mark on the right,
    // and a body with rounded lower corners.
    setMask(RegionRecortada(width(), height(),
                            {{0, 0, 5, 1},       {165, 0, 305, 1},    {0, 1, 3, 2},        {167, 1, 305, 2},
                             {0, 2, 2, 3},       {168, 2, 305, 3},    {0, 3, 1, 5},        {169, 3, 305, 5},
                             {170, 5, 305, 13},  {170, 13, 286, 14},  {300, 13, 305, 14},  {170, 14, 284, 15},
                             {302, 14, 305, 15}, {170, 15, 283, 16},  {303, 15, 305, 16},  {170, 16, 282, 18},
                             {304, 16, 305, 18}, {170, 18, 281, 28},  {171, 28, 280, 29},  {172, 29, 279, 30},
                             {0, 161, 1, 163},   {304, 162, 305, 164}, {0, 163, 2, 164},   {0, 164, 3, 165},
                             {303, 164, 305, 165}, {0, 165, 5, 166},  {301, 165, 305, 166}}));
}

void TfrmSucesosHoy::AnadirSuceso(const std::string& texto)
{
    ListView->AnadirFila({texto});
    // Room for the scroll bar once the rows no longer fit.
    ListView->FijarAnchoColumna(0, ListView->NumFilas() > 7 ? 262 : 278);
}

void TfrmSucesosHoy::btnSalirClick()
{
    reject();
}

void TfrmSucesosHoy::Image1Click()
{
    btnSalir->click();
}

void TfrmSucesosHoy::ImageFondoMouseDown()
{
    Ventanas::instancia().Arrastrar(this);
}

bool TfrmSucesosHoy::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        if (o == Image1) return true;
        ImageFondoMouseDown();
        return o != ListView->viewport();  // the list still selects the row
    }
    if (e->type() == QEvent::MouseButtonRelease && o == Image1) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (Image1->rect().contains(m->position().toPoint())) Image1Click();
        return true;
    }
    return QDialog::eventFilter(o, e);
}
