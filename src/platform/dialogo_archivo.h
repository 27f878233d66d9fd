#pragma once
// The file-open dialog.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "platform/sustituible.h"

class QWidget;

namespace bindelora {

class DialogoArchivoQt;

class DialogoArchivo : public Sustituible<DialogoArchivo, DialogoArchivoQt> {
public:
    virtual ~DialogoArchivo() = default;
    // Lets the user choose an existing file, starting in carpeta with nombre
    // filled in (when not empty); the first filter is chosen. Returns the
    // full path, or an empty text when the user cancels.
    virtual QString ElegirArchivo(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                  const QString& nombre, const QStringList& filtros) = 0;
    // Lets the user choose a folder, starting in carpeta. Returns its full
    // path, or an empty text when the user cancels.
    virtual QString ElegirCarpeta(QWidget* dueno, const QString& titulo, const QString& carpeta) = 0;
};

// Qt's own dialog, the same on every desktop (never the native one).
class DialogoArchivoQt : public DialogoArchivo {
public:
    QString ElegirArchivo(QWidget* dueno, const QString& titulo, const QString& carpeta, const QString& nombre,
                          const QStringList& filtros) override;
    QString ElegirCarpeta(QWidget* dueno, const QString& titulo, const QString& carpeta) override;
};

// Records each opening and answers from a script (cancel once it runs out).
class DialogoArchivoFalso : public DialogoArchivo {
public:
    struct Apertura {
        QString titulo, carpeta, nombre;
        QStringList filtros;
        bool deCarpeta = false;
    };
    QString ElegirArchivo(QWidget*, const QString& titulo, const QString& carpeta, const QString& nombre,
                          const QStringList& filtros) override
    {
        aperturas.push_back({titulo, carpeta, nombre, filtros, false});
        return Responder();
    }
    QString ElegirCarpeta(QWidget*, const QString& titulo, const QString& carpeta) override
    {
        aperturas.push_back({titulo, carpeta, {}, {}, true});
        return Responder();
    }
    QString Responder()
    {
        if (respuestas.empty()) return {};
        QString r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    std::vector<Apertura> aperturas;
    std::deque<QString> respuestas;
};

}  // namespace bindelora
