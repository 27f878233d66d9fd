#pragma once
// A run of the program: the four windows, created as the program entry does.
#include <QStringList>
#include <memory>

class TfrmBindelora;
class TfrmSucesosHoy;
class TfrmAbout;
class TfrmConfig;

namespace bindelora {

class Programa {
public:
    // Creates the main window (which runs its start-up) and, unless a fatal
    // read error ended the start, the other three windows.
    explicit Programa(const QStringList& argumentos);
    ~Programa();

    bool Terminado() const;
    void Mostrar();
    // The shutdown of the main window: writes the data files once.
    void Apagar();

private:
    std::unique_ptr<TfrmBindelora> principal_;
    std::unique_ptr<TfrmSucesosHoy> sucesosHoy_;
    std::unique_ptr<TfrmAbout> about_;
    std::unique_ptr<TfrmConfig> config_;
};

}  // namespace bindelora
