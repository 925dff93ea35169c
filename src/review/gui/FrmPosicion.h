#pragma once
#include <QDialog>
#include <QString>

class ClCntrl;
class Operador;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
namespace Pontevar {
class Principal;
}

// "Buscar Posición": looks a tariff position up in the nomenclator, shows its
// description and suffixes, and hands the chosen one back. Enter in the search
// box searches (never accepts); the details show the current position however
// it became current; typing in the list goes on in the search box; Enter in
// the list accepts its current text (possibly empty); Esc or Ctrl+C closes
// without a result.
class FrmPosicion : public QDialog {
    Q_OBJECT
public:
    FrmPosicion(Pontevar::Principal& entidades, Operador& op, QWidget* parent = nullptr);

    // The search text; the editor puts its position here before showing the dialog.
    void setBusqueda(const QString& texto);
    // The accepted position (valid when result() == Accepted).
    QString Posicion() const { return m_posicion; }

    // Enter in the search box.
    void Buscar();
    // The description and suffixes of a position.
    void MostrarDatos(const QString& posicion);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    Pontevar::Principal& m_entidades;
    Operador& m_op;
    QLineEdit* m_txtNCMF;
    QListWidget* m_lstNCM;
    QPlainTextEdit* m_lbDescripcion;
    QListWidget* m_lstSufijos;
    ClCntrl* m_cntrl;
    QLabel* m_lbCantidad; // "Posiciones encontradas", with how many
    QString m_posicion;
    bool m_enterDeBusqueda = false; // the Enter that searched is still down
};
