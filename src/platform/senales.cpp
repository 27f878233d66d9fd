#include "platform/senales.h"

#include <QApplication>
#include <QWidget>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace bindelora {

namespace {
int tuberia[2] = {-1, -1};

void AlRecibir(int)
{
    // Only async-signal-safe work here: the event loop does the rest.
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(tuberia[0], &c, 1);
}
}  // namespace

void TerminarConSenales()
{
    if (tuberia[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, tuberia) != 0) return;
    auto* aviso = new QSocketNotifier(tuberia[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(aviso, &QSocketNotifier::activated, aviso, [aviso] {
        aviso->setEnabled(false);
        char c;
        [[maybe_unused]] ssize_t n = ::read(tuberia[1], &c, 1);
        QCoreApplication::quit();
        // quit() does nothing before the main loop runs, while a message box
        // of the start waits (a fatal read error, a folder in use): closing
        // the box ends that start as its button would.
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            if (QWidget* caja = QApplication::activeModalWidget()) caja->close();
    });
    struct sigaction sa {};
    sa.sa_handler = AlRecibir;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
}

}  // namespace bindelora
