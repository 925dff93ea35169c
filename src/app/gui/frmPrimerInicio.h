#pragma once
#include <QDialog>

#include <string>
#include <vector>

struct Aplicacion;
class Operador;
class QLabel;

// The windows' first start: the home has no databases. Instead of an error,
// the dialog says what is missing and offers to create the databases there
// (empty or with the demo reference data), to choose another folder, or to quit.
class frmPrimerInicio : public QDialog {
    Q_OBJECT
public:
    enum class Eleccion { Vacias, Demo, OtraCarpeta, Salir };

    frmPrimerInicio(const std::string& home, const std::vector<std::string>& faltan, QWidget* parent = nullptr);
    Eleccion eleccion() const { return m_eleccion; }

    // Until the home of `app` has its databases: asks, creates them or moves
    // to the folder chosen. False when the operator quits. `app.Home` and
    // `app.Almacen` must be set.
    static bool Resolver(Aplicacion& app, Operador& op, QWidget* parent = nullptr);

private:
    void Elegir(Eleccion e);

    Eleccion m_eleccion = Eleccion::Salir;
};
