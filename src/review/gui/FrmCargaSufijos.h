#pragma once
#include <QDialog>

#include <string>
#include <vector>

class ClCntrl;
class QListWidget;

// The option picker "Carga de Sufijos" of the suffix collection: one line per
// option of a group ("AC01 - detail", the group's "00" line first). Enter or a
// double-click takes the selected line; any other way out takes nothing.
class FrmCargaSufijos : public QDialog {
    Q_OBJECT
public:
    // `actual`: the current option, pre-selected as the first line beginning with it.
    FrmCargaSufijos(const std::vector<std::string>& lineas, const std::string& actual, QWidget* parent = nullptr);

    // The chosen line, "" when none was chosen.
    std::string Eleccion() const { return m_eleccion; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void Elegir();

    QListWidget* m_lstOpcion;
    ClCntrl* m_ctl;
    std::string m_eleccion;
};
