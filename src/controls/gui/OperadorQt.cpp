#include "controls/gui/OperadorQt.h"

#include "comun/Aplicacion.h"
#include "platform/AppError.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A dialog the program did not hand in: a fault of the program, said as one.
template <class F> const F& Dialogo(const F& f, const char* cual) {
    if (!f)
        throw AppError(5, "OperadorQt", std::string("No está disponible el diálogo ") + cual + ".");
    return f;
}
} // namespace

OperadorQt::~OperadorQt() {
    if (m_espera)
        QApplication::restoreOverrideCursor();
}

void OperadorQt::EnlazarEstado(QLabel* estado, QProgressBar* barra) {
    m_estado = estado;
    m_barra = barra;
}

void OperadorQt::EnlazarContadores(QLabel* registrosH, QLabel* registrosP, QProgressBar* barra) {
    PintarPendientes();
    m_contadoresMostrados = false;
    m_contadorH = registrosH;
    m_contadorP = registrosP;
    m_barraImportacion = barra;
    m_importacionPendiente.reset();
    m_cancelar = false;
}

void OperadorQt::ProgresoImportacion(unsigned long long leidos, unsigned long long total) {
    if (!m_barraImportacion)
        return;
    // Painted with the counters, at most once per kPintura; the end always shows.
    m_importacionPendiente = total == 0 ? 0 : static_cast<int>(std::min(leidos, total) * 1000 / total);
    if (*m_importacionPendiente >= 1000 || *m_importacionPendiente == 0)
        PintarPendientes();
}

QWidget* OperadorQt::Duenio() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // A box raised from another window of ours (the record list) stays on it;
    // the main window would come to the front and take the keys.
    if (QWidget* activa = QApplication::activeWindow())
        return activa;
    return m_ventana;
}

OperadorQt::Flecha::Flecha(bool espera) : m_espera(espera) {
    if (m_espera)
        QApplication::restoreOverrideCursor();
}

OperadorQt::Flecha::~Flecha() {
    if (m_espera)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool OperadorQt::Preguntar(const std::string& id, const std::string& texto) {
    // Through MsgBox, so that whatever answers boxes answers questions too.
    m_defectoPregunta = RespuestaSegura(id);
    return MsgBox(texto, Icono::Pregunta, Botones::SiNo) == Respuesta::Si;
}

Operador::Respuesta OperadorQt::MsgBox(const std::string& texto, Icono icono, Botones botones) {
    PintarPendientes();
    // A Yes/No box asked without its question's identifier gets the careful default.
    const Respuesta defecto = botones == Botones::SiNo ? m_defectoPregunta.value_or(Respuesta::No) : Respuesta::Aceptar;
    m_defectoPregunta.reset();
    m_mensajes.push_back({texto, icono, botones, defecto});
    if (!m_respuestas.empty()) {
        Respuesta r = m_respuestas.front();
        m_respuestas.pop_front();
        return r;
    }
    QMessageBox::Icon i = QMessageBox::NoIcon;
    switch (icono) {
    case Icono::Critico:
        i = QMessageBox::Critical;
        break;
    case Icono::Pregunta:
        i = QMessageBox::Question;
        break;
    case Icono::Exclamacion:
        i = QMessageBox::Warning;
        break;
    case Icono::Informacion:
        i = QMessageBox::Information;
        break;
    case Icono::Ninguno:
        break;
    }
    QString t = Q(texto);
    t.replace("\r\n", "\n");
    QMessageBox box(i, kTitulo, t, QMessageBox::NoButton, Duenio());
    // Texts carry file and database values: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* si = nullptr;
    QPushButton* no = nullptr;
    if (botones == Botones::SiNo) {
        si = box.addButton("&Sí", QMessageBox::YesRole);
        no = box.addButton("&No", QMessageBox::NoRole);
        box.setDefaultButton(defecto == Respuesta::Si ? si : no);
        box.setEscapeButton(no);
    } else {
        box.setDefaultButton(box.addButton("Aceptar", QMessageBox::AcceptRole));
    }
    Flecha f(m_espera);
    box.exec();
    if (botones == Botones::SiNo)
        return box.clickedButton() == si ? Respuesta::Si : Respuesta::No;
    return Respuesta::Aceptar;
}

std::string OperadorQt::InputBox(const std::string&, const std::string& prompt, const std::string& titulo,
                                 const std::string& defecto) {
    if (!m_entradas.empty()) {
        std::string r = m_entradas.front();
        m_entradas.pop_front();
        return r;
    }
    QInputDialog d(Duenio());
    d.setWindowTitle(titulo.empty() ? QString(kTitulo) : Q(titulo));
    d.setLabelText(Q(prompt));
    d.setTextValue(Q(defecto));
    d.setOkButtonText("Aceptar");
    d.setCancelButtonText("Cancelar");
    Flecha f(m_espera);
    return d.exec() == QDialog::Accepted ? d.textValue().toStdString() : std::string();
}

std::string OperadorQt::ElegirOpcion(const std::string&, const std::vector<std::string>& lineas,
                                     const std::string& actual) {
    if (!m_opciones.empty()) {
        std::string codigo = m_opciones.front();
        m_opciones.pop_front();
        for (const std::string& l : lineas)
            if (!codigo.empty() && l.rfind(codigo, 0) == 0)
                return l;
        return {};
    }
    const auto& dialogo = Dialogo(m_dialogos.CargaSufijos, "de sufijos");
    Flecha f(m_espera);
    return dialogo(lineas, actual, Duenio());
}

std::string OperadorQt::ElegirArchivo(const std::string& titulo, const std::string& filtro, bool guardar,
                                      const std::string& sugerido) {
    if (!m_archivos.empty()) {
        std::string r = m_archivos.front();
        m_archivos.pop_front();
        return r;
    }
    QFileDialog d(Duenio(), Q(titulo), Q(sugerido));
    d.setFileMode(guardar ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d.setAcceptMode(guardar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setNameFilters({Q(filtro), "Todos los archivos (*)"});
    d.setLabelText(QFileDialog::LookIn, guardar ? "Guardar en:" : "Buscar en:");
    d.setLabelText(QFileDialog::FileName, "Nombre:");
    d.setLabelText(QFileDialog::FileType, "Tipo:");
    d.setLabelText(QFileDialog::Accept, guardar ? "Guardar" : "Abrir");
    d.setLabelText(QFileDialog::Reject, "Cancelar");
    Flecha f(m_espera);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    return d.selectedFiles().first().toStdString();
}

std::string OperadorQt::PreguntarTipo() {
    PintarPendientes();
    if (!m_tipos.empty()) {
        std::string r = m_tipos.front();
        m_tipos.pop_front();
        return r;
    }
    const auto& dialogo = Dialogo(m_dialogos.Tipo, "del tipo de declaración");
    Flecha f(m_espera);
    return dialogo(Duenio());
}

void OperadorQt::MostrarRelPais(Aplicacion& app) {
    PintarPendientes();
    // A code to relate comes only from the import's look-up; the settings' list opens it empty.
    const std::string valor = app.Retorno1;
    const auto& dialogo = Dialogo(m_dialogos.RelPais, "de relaciones de país");
    bool cancelada;
    {
        Flecha f(m_espera);
        cancelada = dialogo(app, Duenio(), !valor.empty());
    }
    // Thrown here, outside the dialog's loop: the import undoes itself and says so.
    if (cancelada)
        throw Cancelacion("Importación cancelada: falta la relación de país para el valor " + valor + ".");
}

void OperadorQt::PunteroEspera(bool espera) {
    PintarPendientes();
    if (espera == m_espera)
        return;
    m_espera = espera;
    if (espera)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void OperadorQt::Estado(const std::string& texto) {
    PintarPendientes();
    if (!m_estado)
        return;
    m_estado->setText(Q(texto));
    m_estado->repaint();
}

void OperadorQt::ProgresoVisible(bool visible) {
    PintarPendientes();
    if (m_barra)
        m_barra->setVisible(visible);
}

void OperadorQt::ProgresoRango(int minimo, int maximo) {
    PintarPendientes();
    if (m_barra)
        m_barra->setRange(minimo, maximo);
}

// Runs call these once per row: painting each time would cost more than the row
// itself, so the bar and the counters are painted at most once per kPintura
// (the first value and the last of a range always show).
bool OperadorQt::TocaPintar() {
    if (m_reloj.isValid() && m_reloj.elapsed() < kPintura)
        return false;
    m_reloj.start();
    return true;
}

void OperadorQt::ProgresoValor(int valor) {
    if (!m_barra)
        return;
    m_valorPendiente = valor;
    if (valor >= m_barra->maximum() || valor <= m_barra->minimum() || TocaPintar())
        PintarPendientes();
}

void OperadorQt::ContadoresImportacion(long registrosH, long registrosP) {
    m_contadores = {registrosH, registrosP};
    m_contadoresPendientes = true;
    if (!m_contadoresMostrados || TocaPintar())
        PintarPendientes();
}

void OperadorQt::PintarPendientes() {
    if (m_valorPendiente && m_barra) {
        m_barra->setValue(*m_valorPendiente);
        m_barra->repaint();
    }
    m_valorPendiente.reset();
    if (m_importacionPendiente && m_barraImportacion) {
        m_barraImportacion->setValue(*m_importacionPendiente);
        m_barraImportacion->repaint();
    }
    m_importacionPendiente.reset();
    if (!m_contadoresPendientes)
        return;
    m_contadoresPendientes = false;
    m_contadoresMostrados = m_contadorH || m_contadorP;
    if (m_contadorH) {
        m_contadorH->setText(QString::number(m_contadores.first));
        m_contadorH->repaint();
    }
    if (m_contadorP) {
        m_contadorP->setText(QString::number(m_contadores.second));
        m_contadorP->repaint();
    }
}

void OperadorQt::ProcesarEventos() {
    // Once per kPintura is enough for the window to stay responsive.
    if (m_eventos.isValid() && m_eventos.elapsed() < kPintura)
        return;
    m_eventos.start();
    PintarPendientes();
    QCoreApplication::processEvents();
    if (m_cancelar) {
        m_cancelar = false;
        throw Cancelacion("Importación cancelada.");
    }
}
