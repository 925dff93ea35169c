#pragma once
#include "review/Depuracion.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

struct Aplicacion;
class OperadorQt;
class QLabel;
class QTableView;

// The rows of the record list: the ten columns and the reason, coloured by status.
class ModeloDEP : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void Poner(std::vector<Depuracion::Fila> filas);
    const Depuracion::Fila& Fila(int i) const { return m_filas[static_cast<size_t>(i)]; }

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;

private:
    std::vector<Depuracion::Fila> m_filas;
};

// "Resultados": the articles still to depurate (mode 1) or the good ones (mode
// 2) of the current interno. Enter or a double-click opens the editor on the
// row; the list is loaded again after a save. Ctrl+Z undoes the last
// correction after a question. Shown without waiting (not modal).
class frmDEP : public QWidget {
    Q_OBJECT
public:
    frmDEP(Aplicacion& app, OperadorQt& op, QWidget* parent = nullptr);

    void Form_Load();
    // Enter or double-click: the editor on the selected row.
    void AbrirEditor();
    // Ctrl+Z
    void Deshacer();
    int Filas() const { return m_modelo->rowCount(); }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    // The list belongs to the interno it was opened on; once the main window
    // moved to another, it says so and closes instead of editing the wrong one.
    bool Vigente();

    Aplicacion& m_app;
    OperadorQt& m_op;
    int m_modo;
    std::string m_interno;
    ModeloDEP* m_modelo;
    QTableView* m_lstDEP;
    QLabel* m_lbCuenta;
};
