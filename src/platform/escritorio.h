#pragma once
// The desktop shell: hands a URL (a "mailto:" address) to the program the
// desktop has for it. Never through a command line, so no text of the user
// is ever read by a shell.
#include <QString>
#include <QUrl>
#include <vector>

#include "platform/sustituible.h"

namespace bindelora {

class EscritorioQt;

class Escritorio : public Sustituible<Escritorio, EscritorioQt> {
public:
    virtual ~Escritorio() = default;
    // The outcome is the desktop's business: nothing is reported.
    virtual void AbrirUrl(const QUrl& url) = 0;
};

class EscritorioQt : public Escritorio {
public:
    void AbrirUrl(const QUrl& url) override;
};

// Records the URLs instead of opening them.
class EscritorioFalso : public Escritorio {
public:
    void AbrirUrl(const QUrl& url) override { urls.push_back(url); }
    std::vector<QUrl> urls;
};

// "mailto:" followed by the address, the address kept as typed.
QUrl UrlCorreo(const QString& direccion);

}  // namespace bindelora
