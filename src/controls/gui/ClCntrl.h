#pragma once
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractItemView;
class QComboBox;
class QLineEdit;
class QWidget;

// The shared behaviour of data-entry controls. A window creates one object per
// control and links it; the object then watches the control's events:
// - text box: light green background while focused (light peach when its "Tag"
//   property ends in "#F6", the boxes with an F6 look-up), white after, the
//   whole text selected on focus, Enter and Down move to the next control, Up
//   to the previous one, and the keypad's decimal key types the locale's
//   separator. A tag beginning with "BB" keeps colours and caret untouched.
// - list: the item under the mouse becomes the list's tooltip; LstBuscarStr
//   selects the first item beginning with a text.
// - combo box: BuscarCBO does the same search.
class ClCntrl : public QObject {
    Q_OBJECT
public:
    static inline const QColor kVerde{0xC0, 0xFF, 0xC0};   // focused
    static inline const QColor kDurazno{0xFE, 0xE4, 0xD6}; // focused, with an F6 look-up
    static inline const QColor kBlanco{0xFF, 0xFF, 0xFF};  // not focused

    explicit ClCntrl(QObject* parent = nullptr);

    void sLinkText(QLineEdit* texto);
    void sLinkListBox(QAbstractItemView* lista);
    void sLinkCBoBox(QComboBox* combo);

    // First item (first column) beginning with `valor`, without regard to case
    // or accents ("mex" finds "MÉXICO"); no match leaves nothing selected.
    void LstBuscarStr(const QString& valor);
    void BuscarCBO(const QString& valor);
    // The text as the searches compare it: accents dropped, case folded.
    static QString Plegar(const QString& texto);

    QString Separador_Decimal();
    QString Obtener_Sep_Decim() { return Separador_Decimal(); }
    void ObtenerDecimal();

    // Empties every text box of the window.
    static void VaciarTxt(QWidget* frm);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    bool EventoTexto(QEvent* evento);
    bool EventoLista(QEvent* evento);
    void Pintar(const QColor& color);
    // Tab or Shift+Tab to the linked box, as if typed.
    void Tabular(bool adelante);

    QPointer<QLineEdit> m_txt;
    QPointer<QAbstractItemView> m_lst;
    QPointer<QObject> m_visor; // the list's viewport, which receives its mouse
    QPointer<QComboBox> m_cbo;
    QString m_separador;
    bool m_reenvio = false;
};
