#include "frmabout.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <cstring>

#include "colores.h"
#include "platform/ventanas.h"
#include "qtexto.h"
#include "ventana_forma.h"

using namespace bindelora;

TfrmAbout* frmAbout = nullptr;

namespace {

constexpr unsigned kNegro = 0;
constexpr unsigned kVerde = 1144593;    // 17,119,17
constexpr unsigned kAzulOscuro = 6689041;  // 17,17,102
constexpr unsigned kAzul = 16716049;    // 17,17,255

// Hands the drawing of every cell to the window's ListViewDrawItem.
class DibujoFila : public QStyledItemDelegate {
public:
    DibujoFila(TfrmAbout* ventana) : QStyledItemDelegate(ventana), ventana_(ventana) {}
    void paint(QPainter* p, const QStyleOptionViewItem& op, const QModelIndex& i) const override
    {
        ventana_->ListViewDrawItem(p, op.rect, i.row(), i.column());
    }

private:
    TfrmAbout* ventana_;
};

}  // namespace

std::string FechaCompilacion(const char* fecha)
{
    static const char* const kIngles[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kMeses[] = {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio",
                                         "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    if (!fecha || std::strlen(fecha) < 11) return fecha ? fecha : "";
    int mes = -1;
    for (int m = 0; m < 12; ++m)
        if (std::strncmp(fecha, kIngles[m], 3) == 0) mes = m;
    if (mes < 0) return fecha;
    std::string dia(fecha + 4, 2);
    if (dia[0] == ' ') dia.erase(0, 1);
    return dia + "-" + kMeses[mes] + "-" + std::string(fecha + 7, 4);
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(305, 232);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(212, 208, 200));  // the button face
    setPalette(p);

    ListView->setColumnas({QStringLiteral("COLOR"), QStringLiteral("TEXTO")});
    ListView->horizontalHeader()->hide();
    ListView->FijarAnchoColumna(0, 0);
    ListView->FijarAnchoColumna(1, 262);
    ListView->setShowGrid(false);
    // The lines were laid out for a narrow 8-point face; this keeps them
    // within the column.
    QFont letra = ListView->font();
    letra.setPixelSize(10);
    ListView->setFont(letra);
    ListView->setItemDelegate(new DibujoFila(this));
    ListView->verticalHeader()->setDefaultSectionSize(ListView->fontMetrics().height() + 1);
    ListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView->setFocusPolicy(Qt::StrongFocus);

    connect(btnSalir, &QPushButton::clicked, this, &TfrmAbout::btnSalirClick);
    for (QWidget* w : {static_cast<QWidget*>(img1), static_cast<QWidget*>(img2), static_cast<QWidget*>(img3),
                       static_cast<QWidget*>(img4), static_cast<QWidget*>(Image1), ListView->viewport()})
        w->installEventFilter(this);
    bindelora::VestirVentanaPequena(this, {img1, img2, img3, img4}, Image1, btnSalir,
                                    QStringLiteral(":/ventanas/ab_"));
    FormCreate();
}

QColor TfrmAbout::ColorDeFila(const std::string& caption)
{
    // From the second character on, at most 20, as a decimal number.
    unsigned long v = 0;
    for (std::size_t i = 1; i < caption.size() && i <= 20; ++i) {
        const char c = caption[i];
        if (c < '0' || c > '9') break;
        v = v * 10 + static_cast<unsigned long>(c - '0');
        if (v > 0xFFFFFF) return Qt::black;
    }
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

void TfrmAbout::ListViewDrawItem(QPainter* p, const QRect& celda, int fila, int columna)
{
    // Every row alike, selected or not: the list's colour, then the text in
    // the colour its caption names, from 4 pixels in, clipped to the row.
    p->save();
    p->fillRect(celda, kColorNormal);
    if (columna == 1) {
        const QRect r = celda.adjusted(4, 0, 0, 0);
        p->setClipRect(r);
        p->setFont(ListView->font());
        p->setPen(ColorDeFila(ListView->Texto(fila, 0)));
        p->drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, aQ(ListView->Texto(fila, 1)));
    }
    p->restore();
}

void TfrmAbout::AgregarLinea(unsigned color, const std::string& texto)
{
    std::string caption(1, '\0');
    caption += std::to_string(color);
    ListView->AnadirFila({caption, texto});
}

void TfrmAbout::FormCreate()
{
    btnSalir->move(-100, btnSalir->y());

    ColocarMarco(this, img1, img2, img3, img4);

    // Rows, then the columns cut out of them (both ends included).
    struct Fila {
        int desde, hasta;
        std::vector<std::pair<int, int>> columnas;
    };
    static const Fila kCortes[] = {
        {0, 0, {{0, 4}, {71, 304}}},    {1, 1, {{0, 2}, {73, 304}}},     {2, 2, {{0, 1}, {74, 304}}},
        {3, 4, {{0, 0}, {75, 304}}},    {5, 12, {{76, 304}}},            {13, 13, {{76, 285}, {300, 304}}},
        {14, 14, {{76, 283}, {302, 304}}}, {15, 15, {{76, 282}, {303, 304}}}, {16, 17, {{76, 281}, {304, 304}}},
        {18, 27, {{76, 280}}},          {28, 28, {{77, 279}}},           {29, 29, {{78, 278}}},
        {208, 209, {{0, 0}, {304, 304}}}, {210, 210, {{0, 1}, {303, 304}}}, {211, 211, {{0, 3}, {301, 304}}},
    };
    std::vector<Corte> cortes;
    for (const Fila& f : kCortes)
        for (auto [a, b] : f.columnas) cortes.push_back({a, f.desde, b + 1, f.hasta + 1});
    setMask(RegionRecortada(width(), height(), cortes));

    ListView->IniciarCarga();
    auto separador = [this] {
        AgregarLinea(kAzul, std::string(84, '-'));
        AgregarLinea(kNegro, "");
    };
    auto parrafo = [this](unsigned color, std::initializer_list<const char*> lineas) {
        for (const char* l : lineas) AgregarLinea(color, Utf8ACp1252(l));
        AgregarLinea(kNegro, "");
    };
    AgregarLinea(kNegro, "");
    separador();
    parrafo(kVerde, {"Bindelora v2.3  por Quenturo"});
    AgregarLinea(kVerde, "Fecha de compilaci\xF3n: " + FechaCompilacion(__DATE__));
    AgregarLinea(kNegro, "");
    separador();
    parrafo(kNegro, {"En esta  sencilla  Agenda  se  pueden  almacenar  los",
                     "datos más importantes referentes a la gente  que  hay",
                     "en nuestra libreta de direcciones:"});
    parrafo(kAzulOscuro, {"   - Nombre y apellidos", "   - Teléfono de Casa y Móvil", "   - Correo electrónico",
                          "   - Dirección", "   - Fecha de cumpleaños"});
    parrafo(kNegro, {"Se puede \"catalogar\" a las personas por  Grupos,  de",
                     "modo que  sea  más  sencillo  buscarlos,  y  existe  un",
                     "campo de datos \"varios\"  para  añadir  la  información",
                     "necesaria que  no  pueda  ser  recogida  en  los  otros",
                     "campos  (como  por  ejemplo,  teléfonos  de  contacto",
                     "adicionales, nombre de familiares, etc)."});
    parrafo(kNegro, {"La Agenda integra una aplicación llamada  \"Avisal\",",
                     "muy útil para  recordar  fechas  señaladas  (como  por",
                     "ejemplo Santos, Cumpleaños, Fiestas...)."});
    parrafo(kNegro, {"La  Agenda añade  automáticamente  al  Avisal   los",
                     "cumpleaños de las personas de las  que  se  conozca",
                     "su fecha de nacimiento.  Naturalmente,  esta  entrada",
                     "podrá ser modificada o eliminada más tarde."});
    parrafo(kNegro, {"Se cuenta con un pequeño motor de  búsqueda,  que",
                     "permite realizar consultas  sencillas  a  la  Agenda.  La",
                     "consulta puede contener un patrón para cada uno de",
                     "los campos (es decir, Nombre, Apellidos, Teléfono....).",
                     "En caso de querer buscar por más  de  un  campo,  la",
                     "búsqueda  se  realizará  mediante  lógica  \"AND\"   (es",
                     "decir,  buscando  registros  que  contengan  a  la  vez",
                     "todos los patrones)."});
    separador();
    // The history: ten paragraphs of 3, 6, 6, 4, 4, 3, 5, 2, 3 and 3 lines.
    parrafo(kNegro, {"Bindelora nació como una pequeña libreta de",
                     "direcciones para uso propio, sin más pretensión",
                     "que tener los teléfonos de la familia a mano."});
    parrafo(kNegro, {"Pronto hizo falta recordar también los cumpleaños,",
                     "y con ellos los santos, las fiestas y alguna que",
                     "otra cita. Así apareció el Avisal: un calendario",
                     "sencillo que marca los días señalados y que, al",
                     "abrirse, avisa de lo que toca hoy, con un sonido",
                     "si se desea."});
    parrafo(kNegro, {"Las primeras versiones guardaban los datos en un",
                     "formato sin cabecera. La versión 2.1 del archivo",
                     "añadió una cabecera y una marca por persona para",
                     "saber si su cumpleaños ya está en el Avisal; los",
                     "archivos antiguos se siguen leyendo y se ponen al",
                     "día solos al salir."});
    parrafo(kNegro, {"Después llegó la búsqueda por ejemplo: se escribe",
                     "un patrón en cada campo que interese y la Agenda",
                     "recorre los registros que cumplen todos a la vez,",
                     "uno tras otro."});
    parrafo(kNegro, {"La lista de cumpleaños dice quién es el próximo en",
                     "cumplirlos y cuántos años cumple, y desde ella se",
                     "llega a los datos de la persona con un doble",
                     "clic."});
    parrafo(kNegro, {"La ventana de configuración permite elegir la vista",
                     "y el orden del arranque, y cuándo mostrar los",
                     "sucesos del día."});
    parrafo(kNegro, {"Su página \"Panic!\" permite volver a leer los",
                     "archivos tal como estaban al empezar la sesión,",
                     "por si algo se ha torcido: los datos sólo se",
                     "escriben al salir, y hasta entonces los archivos",
                     "guardan el estado del arranque."});
    parrafo(kNegro, {"La versión 2.3 pone al día el aspecto de las",
                     "ventanas y corrige pequeños detalles."});
    parrafo(kNegro, {"Todo el programa se ha hecho a ratos libres, con",
                     "la idea de que sea ligero, rápido y fácil de usar",
                     "sin tener que leer ningún manual."});
    parrafo(kNegro, {"Gracias a todos los que lo han probado y han",
                     "contado qué les faltaba: buena parte de lo que",
                     "hoy tiene salió de sus comentarios."});
    separador();
    parrafo(kNegro, {"Si tiene alguna sugerencia, ha encontrado algún",
                     "fallo o echa algo en falta, no dude en escribir:",
                     "toda idea es bienvenida."});
    separador();
    parrafo(kNegro, {"Encontrará más información y las novedades del",
                     "programa en la página web de Quenturo:"});
    parrafo(kAzulOscuro, {"   https://quenturo.example/bindelora"});
    separador();
    AgregarLinea(kVerde, std::string(53, ' ') + Utf8ACp1252("© Quenturo"));
    ListView->TerminarCarga();
}

void TfrmAbout::img1MouseDown()
{
    Ventanas::instancia().Arrastrar(this);
}

void TfrmAbout::Image1Click()
{
    btnSalir->click();
}

void TfrmAbout::btnSalirClick()
{
    reject();
}

bool TfrmAbout::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        if (o == Image1) return true;
        img1MouseDown();
        return o != ListView->viewport();
    }
    if (e->type() == QEvent::MouseButtonRelease && o == Image1) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (Image1->rect().contains(m->position().toPoint())) Image1Click();
        return true;
    }
    return QDialog::eventFilter(o, e);
}
