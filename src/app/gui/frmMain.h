#pragma once
#include "app/Asistente.h"

#include <QWidget>

struct Aplicacion;
class ClCntrl;
class OperadorQt;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

// The main window: the three-step wizard. Step 1 (FRAM1) lists the internos,
// steps 2 and 3 (FRAM3) show the classification counters, the depuration
// commands and the CIF totals. The wizard's logic is Asistente; this window
// draws its screen state after every change and turns clicks and keys into
// its operations.
class frmMain : public QWidget {
    Q_OBJECT
public:
    frmMain(Aplicacion& app, OperadorQt& op, QWidget* parent = nullptr);
    ~frmMain() override;

    Asistente& asistente() { return m_asistente; }
    OperadorQt& operador() { return m_op; }

    // Start-up steps 8 and 9 (after Arranque::Form_Load): the interno list, or
    // the unattended run of the command-line file. False when that run stopped early.
    bool Iniciar();

    void cmdSiguiente_Click();
    void cmdVolver_Click();
    void cmdConfig_Click();
    void Command4_Click();
    // "Acerca de": the version line, the home, the databases, the settings and the run log.
    void cmdAcercaDe_Click();
    // F1 and F2 open the record lists, only at step 2.
    void Form_KeyDown(int tecla);

    void FRAM1_NuevoInterno();
    void FRAM1_EliminarInterno();
    void ElegirInterno();

    void FRAM3_cmdRegErr_Click();
    void FRAM3_cmdRegOk_Click();
    void FRAM3_cmdRepErr_Click();
    void FRAM3_cmdRepOK_Click();

    bool EnCurso() const { return m_enCurso; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    QWidget* CrearEncabezado();
    QFrame* CrearFRAM1();
    QFrame* CrearFRAM3();
    void Dibujar();
    void EnfocarLista();
    // F1 / F2: the record list of that mode, whose corrections refresh step 3.
    void AbrirLista(int16_t modo);
    void CerrarListasAjenas();
    // Runs one operation of the wizard with the commands locked, so events let
    // through by a long run cannot start another; an error never leaves the slot.
    template <class F> bool Ejecutar(F&& operacion);

    Aplicacion& m_app;
    OperadorQt& m_op;
    Asistente m_asistente;
    bool m_enCurso = false;
    std::vector<ListaInternos::Item> m_internosDibujados;
    bool m_listaDibujada = false;

    QLabel *m_lbPasoNro, *m_lbPasoDesc, *m_lbVersion, *m_lbMensaje;
    QProgressBar* m_barra;
    QStackedWidget* m_pila;
    QFrame *m_fram1, *m_fram3;
    QTreeWidget *m_lstInternos, *m_lstCIF;
    QLabel *m_lbTotal, *m_lbEnCatalogo, *m_lbNuevos, *m_lbErroneos, *m_lbErrPos, *m_lbErrSuf;
    QPushButton *m_cmdSiguiente, *m_cmdVolver, *m_cmdConfig, *m_command4, *m_cmdAcercaDe;
    QPushButton *m_cmdRegErr, *m_cmdRegOk, *m_cmdRepErr, *m_cmdRepOK;
};
