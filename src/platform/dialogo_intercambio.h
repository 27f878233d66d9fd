#pragma once
// The file dialogs of the vCard and iCalendar import and export: a path in
// or out, and which of the offered file types was chosen.
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/sustituible.h"

class QWidget;

namespace bindelora {

struct EleccionArchivo {
    QString ruta;
    int filtro = 0;  // index in the filters offered
};

class DialogoIntercambioQt;

class DialogoIntercambio : public Sustituible<DialogoIntercambio, DialogoIntercambioQt> {
public:
    virtual ~DialogoIntercambio() = default;
    // Nothing when the user cancels. carpeta: where the dialog starts.
    virtual std::optional<EleccionArchivo> Abrir(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                                 const QStringList& filtros) = 0;
    virtual std::optional<EleccionArchivo> Guardar(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                                   const QString& nombre, const QStringList& filtros) = 0;
};

class DialogoIntercambioQt : public DialogoIntercambio {
public:
    std::optional<EleccionArchivo> Abrir(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                         const QStringList& filtros) override;
    std::optional<EleccionArchivo> Guardar(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                           const QString& nombre, const QStringList& filtros) override;
};

// Answers from a script (cancel once it runs out) and records every dialog.
class DialogoIntercambioFalso : public DialogoIntercambio {
public:
    struct Llamada {
        bool guardar;
        QString titulo, carpeta;
        QStringList filtros;
    };
    std::optional<EleccionArchivo> Abrir(QWidget*, const QString& titulo, const QString& carpeta,
                                         const QStringList& filtros) override
    {
        return Responder({false, titulo, carpeta, filtros});
    }
    std::optional<EleccionArchivo> Guardar(QWidget*, const QString& titulo, const QString& carpeta, const QString&,
                                           const QStringList& filtros) override
    {
        return Responder({true, titulo, carpeta, filtros});
    }

    std::deque<std::optional<EleccionArchivo>> respuestas;
    std::vector<Llamada> llamadas;

private:
    std::optional<EleccionArchivo> Responder(Llamada l)
    {
        llamadas.push_back(std::move(l));
        if (respuestas.empty()) return std::nullopt;
        auto r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
};

}  // namespace bindelora
