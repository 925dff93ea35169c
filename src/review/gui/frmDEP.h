#pragma once
#include "review/Depuracion.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

struct Aplicacion;
class OperadorQt;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

// The rows of the record list: the ten columns, the reason and the best
// suggested position (articles to depurate only), coloured by status. The
// numbers of a column are shown with one number of decimals (the most any of
// its rows has), so they line up on the right.
class ModeloDEP : public QAbstractTableModel {
    Q_OBJECT
public:
    // What the sort compares: numbers as numbers, texts without case or accents.
    static constexpr int kRolOrden = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;
    void Poner(std::vector<Depuracion::Fila> filas);
    const Depuracion::Fila& Fila(int i) const { return m_filas[static_cast<size_t>(i)]; }
    const std::vector<Depuracion::Fila>& Filas() const { return m_filas; }

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;

private:
    std::vector<Depuracion::Fila> m_filas;
    std::array<int, 3> m_decimales{}; // Cantidad, Unitario, Total
};

// The list as shown: filtered by a text (any column, without regard to case
// or accents) and by a reason, sorted by the header clicked.
class FiltroDEP : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void Filtrar(const QString& texto, const QString& motivo);

protected:
    bool filterAcceptsRow(int fila, const QModelIndex& padre) const override;
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override;

private:
    QString m_texto, m_motivo; // the text already folded; "" = every reason
};

// "Resultados": the articles still to depurate (mode 1) or the good ones (mode
// 2) of the current interno. Enter or a double-click opens the editor on the
// row; the list is loaded again after a save. Ctrl+Z undoes the last
// correction after a question. Ctrl+F goes to the text filter. Shown without
// waiting (not modal).
class frmDEP : public QWidget {
    Q_OBJECT
public:
    frmDEP(Aplicacion& app, OperadorQt& op, QWidget* parent = nullptr);

    void Form_Load();
    // Enter or double-click: the editor on the selected row.
    void AbrirEditor();
    // Ctrl+Z
    void Deshacer();
    // Rows shown (after the filters) and rows loaded.
    int Filas() const;
    int FilasCargadas() const { return m_modelo->rowCount(); }
    // The interno the list belongs to.
    const std::string& Interno() const { return m_interno; }
    // Called after every saved correction and every undo: the interno's
    // articles changed, so whatever shows their figures reads them again.
    std::function<void()> AlCambiarArticulos;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    // The list belongs to the interno it was opened on; once the main window
    // moved to another, it says so and closes instead of editing the wrong one.
    bool Vigente();
    void Filtrar();
    // The best suggested position of every row that has one.
    void PonerSugerencias(std::vector<Depuracion::Fila>& filas);
    // The reasons with their counts, keeping the one chosen while it is still there.
    void LlenarMotivos();
    void MostrarCuenta();
    void Avisar();
    // The reason column takes the room left and never less than its longest reason.
    void AjustarMotivo();

    Aplicacion& m_app;
    OperadorQt& m_op;
    int m_modo;
    std::string m_interno;
    ModeloDEP* m_modelo;
    FiltroDEP* m_filtro;
    QTableView* m_lstDEP;
    QLineEdit* m_txtFiltro;
    QComboBox* m_cboMotivo;
    QLabel* m_lbCuenta;
    int m_anchoMotivo = 0;
};
