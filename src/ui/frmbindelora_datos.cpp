// The Datos view: the contact editor's display, colours, navigation state
// and deletion.
#include <QPlainTextEdit>

#include "colores.h"
#include "core/fecha.h"
#include "core/texto.h"
#include "frmbindelora.h"
#include "platform/mensajes.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

QString Lineas(const std::vector<std::string>& lineas)
{
    QStringList l;
    l.reserve(static_cast<qsizetype>(lineas.size()));
    for (const std::string& s : lineas) l << aQ(s);
    return l.join(QLatin1Char('\n'));
}

}  // namespace

void TfrmBindelora::LimpiarDatos()
{
    for (QLineEdit* e : {edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil, edtEMail, edtCumpleDia,
                         edtCumpleMes, edtCumpleAno})
        e->clear();
    MemoDireccion->clear();
    cbGrupo->setEditText(QString());
    MemoVarios->clear();
}

void TfrmBindelora::MostrarPibe(int posicion)
{
    LimpiarDatos();
    if (posicion < 0 || posicion >= static_cast<int>(ListaPibes.size())) return;
    const TPibe& p = *ListaPibes[static_cast<std::size_t>(posicion)];
    edtNombre->setText(aQ(p.Nombre));
    edtApe1->setText(aQ(p.Ape1));
    edtApe2->setText(aQ(p.Ape2));
    edtTfnoCasa->setText(aQ(p.TfnoCasa));
    edtTfnoMovil->setText(aQ(p.TfnoMovil));
    edtEMail->setText(aQ(p.EMail));
    cbGrupo->setEditText(aQ(p.Grupo));
    Fecha f;
    if (p.Cumple != 0 && DecodificarFecha(p.Cumple, f)) {
        edtCumpleDia->setText(QString::number(f.dia));
        edtCumpleMes->setText(QString::fromLatin1(NombresMesCortos[static_cast<std::size_t>(f.mes)]));
        if (f.ano > 1900) edtCumpleAno->setText(QString::number(f.ano));
    }
    MemoDireccion->setPlainText(Lineas(p.Direccion));
    MemoVarios->setPlainText(Lineas(p.Varios));
}

void TfrmBindelora::ColorearDatos(ModoDatos modo)
{
    const QColor& c = modo == ModoDatos::Normal ? kColorNormal : kColorCambiado;
    for (QWidget* w : std::initializer_list<QWidget*>{edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil,
                                                      edtEMail, MemoDireccion, edtCumpleDia, edtCumpleMes,
                                                      edtCumpleAno, cbGrupo, MemoVarios})
        Pintar(w, c);
    if (modo == ModoDatos::Normal) btnActualizar->setEnabled(false);
}

void TfrmBindelora::ActualizarNavegacion()
{
    const int n = static_cast<int>(ListaPibes.size());
    const bool hay = n > 0;
    btnEliminar->setEnabled(hay);
    btnFirst->setEnabled(hay && PibeActual > 0);
    btnPrev->setEnabled(hay && PibeActual > 0);
    btnNext->setEnabled(hay && PibeActual < n - 1);
    btnLast->setEnabled(hay && PibeActual < n - 1);
    btnBuscar->setEnabled(hay);
}

void TfrmBindelora::btnEliminarClick()
{
    if (btnEliminar->text() == QStringLiteral("&Cancelar")) {
        // Leave new-entry mode and show the current contact again.
        btnNuevo->setText(QStringLiteral("&Nuevo"));
        btnEliminar->setText(QStringLiteral("&Eliminar"));
        for (QWidget* w : std::initializer_list<QWidget*>{btnEliminar, btnActualizar, btnFirst, btnPrev, btnNext,
                                                          btnLast, cbOrden})
            w->setEnabled(true);
        Pintar(cbOrden, kColorNormal);
        ColorearDatos(ModoDatos::Normal);
        ActualizarNavegacion();
        if (!ListaPibes.empty()) MostrarPibe(PibeActual);
        return;
    }

    QString nombre = edtNombre->text();
    if (!edtApe1->text().isEmpty()) nombre += QLatin1Char(' ') + edtApe1->text();
    const auto respuesta = Mensajes::mostrar(
        this, QStringLiteral("Se dispone a eliminar a \"") + nombre + QStringLiteral("\"\r\r¿Está seguro?"),
        QStringLiteral("Aviso de Eliminación"), IconoMensaje::Pregunta, BotonesMensaje::AceptarCancelar);
    if (respuesta != RespuestaMensaje::Aceptar) return;
    if (PibeActual < 0 || PibeActual >= static_cast<int>(ListaPibes.size())) return;

    const bool eraUltimo = !btnNext->isEnabled();
    ListaPibes.erase(ListaPibes.begin() + PibeActual);
    if (eraUltimo) --PibeActual;
    if (PibeActual < 0) LimpiarDatos();
    else MostrarPibe(PibeActual);
    ActualizarNavegacion();
    RellenarLista();
}
