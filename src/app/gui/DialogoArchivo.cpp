#include "app/gui/DialogoArchivo.h"

#include "platform/Lectran.h"

#include <QFileDialog>
#include <QWidget>

#include <optional>

namespace DialogoArchivo {

namespace {
std::optional<std::string>& Siguiente() {
    static std::optional<std::string> s;
    return s;
}

std::string Mostrar(const std::string& titulo, void* ventana) {
    if (Siguiente()) {
        std::string r = *Siguiente();
        Siguiente().reset();
        return r;
    }
    QFileDialog d(static_cast<QWidget*>(ventana), QString::fromStdString(titulo));
    d.setFileMode(QFileDialog::ExistingFile);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setNameFilters({"Archivos de texto (*.txt *.TXT)", "Todos los archivos (*)"});
    d.setLabelText(QFileDialog::LookIn, "Buscar en:");
    d.setLabelText(QFileDialog::FileName, "Nombre:");
    d.setLabelText(QFileDialog::FileType, "Tipo:");
    d.setLabelText(QFileDialog::Accept, "Abrir");
    d.setLabelText(QFileDialog::Reject, "Cancelar");
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    return d.selectedFiles().first().toStdString();
}
} // namespace

void Instalar() {
    Lectran::Entorno::InstalarDialogo(Mostrar);
}

void SiguienteArchivo(const std::string& ruta) {
    Siguiente() = ruta;
}

} // namespace DialogoArchivo
