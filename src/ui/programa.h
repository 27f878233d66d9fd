#pragma once
// A run of the program: the four windows, created as the program entry does.
#include <QStringList>
#include <memory>

class TfrmBindelora;
class TfrmSucesosHoy;
class TfrmAbout;
class TfrmConfig;

namespace bindelora {

class BloqueoDatos;

class Programa {
public:
    // Takes the data folder's lock; then creates the main window (which
    // runs its start-up) and, unless a fatal read error ended the start, the
    // other three windows. When the lock cannot be taken (another copy holds
    // it, or it cannot be made), tells the user and creates nothing:
    // Terminado() is then true.
    explicit Programa(const QStringList& argumentos);
    ~Programa();

    bool Terminado() const;
    void Mostrar();
    // The shutdown of the main window: writes the data files once, then
    // removes the recovery files of the run.
    void Apagar();

private:
    // Declared first: released only after the windows wrote their files.
    std::unique_ptr<BloqueoDatos> bloqueo_;
    bool rechazado_ = false;  // another copy of the program has these files
    std::unique_ptr<TfrmBindelora> principal_;
    std::unique_ptr<TfrmSucesosHoy> sucesosHoy_;
    std::unique_ptr<TfrmAbout> about_;
    std::unique_ptr<TfrmConfig> config_;
};

}  // namespace bindelora
