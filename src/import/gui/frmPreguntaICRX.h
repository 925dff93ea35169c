#pragma once
#include <QDialog>

#include <string>

class QPushButton;

// The type question "PROCESAR COMO:". Either button gives its text as the
// answer and closes; closing any other way leaves the answer empty.
class frmPreguntaICRX : public QDialog {
    Q_OBJECT
public:
    explicit frmPreguntaICRX(QWidget* parent = nullptr);
    std::string Respuesta() const { return m_respuesta; }

private:
    void Elegir(QPushButton* boton);

    std::string m_respuesta;
};
