#pragma once
// Starts another program on its own, not waited for and not ended with
// this one: the login reminder opens the window this way.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/sustituible.h"

namespace bindelora {

class LanzadorQt;

class Lanzador : public Sustituible<Lanzador, LanzadorQt> {
public:
    virtual ~Lanzador() = default;
    // The arguments reach the program as they are, never through a shell.
    // False when it could not be started.
    virtual bool Lanzar(const QString& programa, const QStringList& argumentos) = 0;
};

class LanzadorQt : public Lanzador {
public:
    bool Lanzar(const QString& programa, const QStringList& argumentos) override;
};

// Records the starts instead of making them.
class LanzadorFalso : public Lanzador {
public:
    struct Inicio {
        QString programa;
        QStringList argumentos;
    };
    bool Lanzar(const QString& programa, const QStringList& argumentos) override
    {
        inicios.push_back({programa, argumentos});
        return true;
    }
    std::vector<Inicio> inicios;
};

}  // namespace bindelora
