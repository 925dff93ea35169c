#include "platform/Ajustes.h"

#include "platform/Numeros.h"

#include "platform/AppError.h"

#include <QSettings>

AlmacenAjustes::AlmacenAjustes(const std::string& archivoIni)
    : m_s(archivoIni.empty()
              ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Quelvorin", "Quelvorin")
              : std::make_unique<QSettings>(QString::fromStdString(archivoIni), QSettings::IniFormat)) {}

AlmacenAjustes::~AlmacenAjustes() = default;

std::string AlmacenAjustes::GetSetting(const std::string& clave, const std::string& defecto) const {
    QVariant v = m_s->value("CONFIG/" + QString::fromStdString(clave));
    return v.isValid() ? v.toString().toStdString() : defecto;
}

void AlmacenAjustes::SaveSetting(const std::string& clave, const std::string& valor) {
    // The store keeps one line per value: a line break would cut it or end up escaped.
    if (valor.find_first_of("\r\n") != std::string::npos)
        throw AppError(5, "AlmacenAjustes.SaveSetting",
                       "El valor del ajuste " + clave + " no puede tener saltos de línea.");
    m_s->setValue("CONFIG/" + QString::fromStdString(clave), QString::fromStdString(valor));
    m_s->sync();
    // QSettings keeps a failed write to itself: a value that never reached the
    // store must not look saved.
    if (m_s->status() == QSettings::AccessError)
        throw AppError(75, "AlmacenAjustes.SaveSetting",
                       "No se pudo guardar el ajuste " + clave + " en " + Ubicacion() + ".");
}

std::string AlmacenAjustes::GetVentana(const std::string& clave) const {
    return m_s->value("VENTANAS/" + QString::fromStdString(clave)).toString().toStdString();
}

void AlmacenAjustes::SaveVentana(const std::string& clave, const std::string& valor) {
    m_s->setValue("VENTANAS/" + QString::fromStdString(clave), QString::fromStdString(valor));
    m_s->sync();
}

std::string AlmacenAjustes::Ubicacion() const {
    return m_s->fileName().toStdString();
}

bool EsUno(const std::string& texto) {
    return EsNumerico(texto) && ValorNumerico(texto) == 1.0;
}
