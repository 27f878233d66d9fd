// The skinned frame: its layout, dragging, the title-bar pictures, the view
// buttons and the "Haga clic aquí" bubble.
#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include "frmabout.h"
#include "frmbindelora.h"
#include "platform/ventanas.h"

using namespace bindelora;

void TfrmBindelora::Conectar()
{
    connect(TimerOnLoad, &QTimer::timeout, this, &TfrmBindelora::TimerOnLoadTimer);
    connect(btnLista, &QPushButton::clicked, this, &TfrmBindelora::btnListaClick);
    connect(btnDatos, &QPushButton::clicked, this, &TfrmBindelora::btnDatosClick);
    connect(btnCumples, &QPushButton::clicked, this, &TfrmBindelora::btnCumplesClick);
    connect(btnAvisal, &QPushButton::clicked, this, &TfrmBindelora::btnAvisalClick);
    connect(btnBuscar, &QPushButton::clicked, this, &TfrmBindelora::btnBuscarClick);
    connect(btnAbout, &QPushButton::clicked, this, &TfrmBindelora::btnAboutClick);
    connect(btnConfig, &QPushButton::clicked, this, &TfrmBindelora::btnConfigClick);
    connect(btnEliminar, &QPushButton::clicked, this, &TfrmBindelora::btnEliminarClick);

    connect(ListViewLista, &TListView::DobleClic, this, &TfrmBindelora::ListViewListaDblClick);
    connect(ListViewLista, &TListView::ColumnaPulsada, this, &TfrmBindelora::ListViewListaColumnClick);
    connect(cbOrden, &QComboBox::activated, this, &TfrmBindelora::cbOrdenClick);

    for (QWidget* w : std::initializer_list<QWidget*>{img11, img12, img13, img21, img31, img23, img32, img33,
                                                      s1, s2, s3, s4, s5, mini1, mini2, cerr1, cerr2, btnNuevo})
        w->installEventFilter(this);
    installEventFilter(this);
    ConectarAvisal();
    ConectarBuscar();
    ConectarDatos();
    ConectarIntercambio();
}

bool TfrmBindelora::EsArrastre(QObject* o) const
{
    return o == img11 || o == img12 || o == img13 || o == img21 || o == img31;
}

bool TfrmBindelora::eventFilter(QObject* o, QEvent* e)
{
    const auto tipo = e->type();
    if (tipo != QEvent::MouseButtonPress && tipo != QEvent::MouseButtonRelease &&
        tipo != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(o, e);
    auto* m = static_cast<QMouseEvent*>(e);
    const bool izquierdo = m->button() == Qt::LeftButton;

    if (o == btnNuevo) {
        if (tipo == QEvent::MouseButtonPress) btnNuevoMouseDown();
        return false;  // the button still gets its press
    }
    if (o == mini1 && izquierdo) {
        if (tipo == QEvent::MouseButtonPress) {
            mini2->raise();
        } else if (tipo == QEvent::MouseButtonRelease) {
            mini1->raise();
            showMinimized();
        }
        return true;
    }
    if (o == cerr1 && izquierdo) {
        if (tipo == QEvent::MouseButtonPress) {
            cerr2->raise();
        } else if (tipo == QEvent::MouseButtonRelease) {
            cerr1->raise();
            close();  // the normal shutdown
        }
        return true;
    }
    if (tipo == QEvent::MouseButtonPress && izquierdo) {
        // The window's own background: only a press that no child took.
        if (EsArrastre(o) || (o == this && !childAt(m->position().toPoint()))) {
            ArrastrarVentana();
            return true;
        }
    }
    // The right and bottom edges, the shadows and the pressed pictures take
    // the press so it does not reach the background behind them.
    return o != this;
}

void TfrmBindelora::DisponerPiel()
{
    const int W = width();
    const int H = height();
    auto tam = [](QLabel* l) { return l->pixmap().isNull() ? l->size() : l->pixmap().deviceIndependentSize().toSize(); };
    const QSize t11 = tam(img11), t13 = tam(img13), t31 = tam(img31), t33 = tam(img33);
    const QSize t12 = tam(img12), t21 = tam(img21), t23 = tam(img23), t32 = tam(img32);

    img11->setGeometry(0, 0, t11.width(), t11.height());
    img13->setGeometry(W - t13.width(), 0, t13.width(), t13.height());
    img31->setGeometry(0, H - t31.height(), t31.width(), t31.height());
    img33->setGeometry(W - t33.width(), H - t33.height(), t33.width(), t33.height());
    img12->setGeometry(t11.width(), 0, W - t11.width() - t13.width(), t12.height());
    img21->setGeometry(0, t11.height(), t21.width(), H - t11.height() - t31.height());
    img23->setGeometry(W - t23.width(), t13.height(), t23.width(), H - t13.height() - t33.height());
    img32->setGeometry(t31.width(), H - t32.height(), W - t31.width() - t33.width(), t32.height());

    // Shadows around the views, from the bounds the five panels share.
    const QRect p = PanelLista->geometry();
    const int derecha = p.x() + p.width();
    const int abajo = p.y() + p.height();
    s1->move(p.x(), abajo);
    s5->move(derecha, p.y());
    s2->move(s1->x() + s1->width(), s1->y());
    s4->move(s5->x(), s5->y() + s5->height());
    s3->move(derecha - 5, abajo - 5);
    s2->resize(s3->x() - s2->x(), s2->height());
    s4->resize(s4->width(), s3->y() - s4->y());

    mini1->move(W - 48, 6);
    mini2->move(W - 48, 6);
    mini2->raise();
    mini1->raise();
    cerr1->move(W - 25, 6);
    cerr2->move(W - 25, 6);
    cerr2->raise();
    cerr1->raise();

    if (QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect g = pantalla->geometry();
        move(g.x() + (g.width() - W) / 2, g.y() + (g.height() - H) / 2);
    }
}

void TfrmBindelora::ArrastrarVentana()
{
    Ventanas::instancia().Arrastrar(this);
}

void TfrmBindelora::FormaBocadillo()
{
    // The body and a tail pointing down at btnNuevo.
    const QSize t = ImageHagaClicAqui->size();
    PanelHagaClicAqui->setMask(RegionConCortes(QRect(0, 0, t.width(), t.height()),
                                               {QRect(QPoint(0, 67), QPoint(24, 76)),
                                                QRect(QPoint(44, 67), QPoint(169, 76)),
                                                QRect(QPoint(43, 68), QPoint(43, 76))}));
    PanelHagaClicAqui->update();
}

void TfrmBindelora::btnListaClick()
{
    PanelLista->raise();
    if (ListViewLista->isVisible()) ListViewLista->setFocus();
}

void TfrmBindelora::btnDatosClick()
{
    btnNuevo->setEnabled(true);
    btnNuevaBusqueda->setEnabled(true);
    btnAvisalNuevo->setEnabled(false);
    ActualizarNavegacion();
    PanelDatos->raise();
    btnAvisalNuevo->setEnabled(false);
    btnAvisalEliminar->setEnabled(false);
    btnAvisalActualizar->setEnabled(false);
}

void TfrmBindelora::btnAboutClick()
{
    frmAbout->move(x() + (width() - frmAbout->width()) / 2, y() + (height() - frmAbout->height()) / 2);
    Ventanas::instancia().MostrarModal(frmAbout);
}

void TfrmBindelora::btnNuevoMouseDown()
{
    PanelHagaClicAqui->setVisible(false);
}
