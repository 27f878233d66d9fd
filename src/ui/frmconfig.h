#pragma once
// The settings dialog.
#include <QDialog>
#include <QPixmap>
#include <string>

#include "core/config.h"
#include "ui_frmconfig.h"

class TfrmConfig : public QDialog, public Ui::TfrmConfig {
    Q_OBJECT
public:
    explicit TfrmConfig(QWidget* parent = nullptr);

    // Sets every control from the settings, as each opening does, and shows
    // the first page.
    void MostrarConfig(const bindelora::TConfig& c);
    // The choices as "&Aceptar" hands them back.
    bindelora::TConfig ConfigElegida() const;
    // Empty when the typed sync folder can be stored, else why not.
    QString ErrorCarpetaSincronizacion() const;
    const std::string& RutaSonido() const { return rutaSonido_; }

    void btnAceptarClick();
    void btnCancelarClick();
    void chkReproducirWavClick();
    void btnCargarWAVClick();
    void btnPlayClick();
    void btnRecuperarAgendaClick();
    void btnRecuperarAvisalClick();
    void btnExaminarSincronizacionClick();

    // The left strip from JPEG bytes; damaged bytes give a plain strip.
    static QPixmap TiraBorde(const QByteArray& jpeg, QSize tam);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void ActivarBotonesSonido();
    void AplicarAvisoAlIniciar();
    void NombrarParaAccesibilidad();
    std::string rutaSonido_;  // Windows-1252, empty when none
};

extern TfrmConfig* frmConfig;
