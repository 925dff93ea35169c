#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QSettings;

// A switch setting (MODELOVARIANTESINSPC) is on exactly when its stored text
// converts to the number 1.
bool EsUno(const std::string& texto);

// The per-user settings store: organisation and application "Quelvorin",
// group "CONFIG". Given an INI file instead, it keeps the settings there
// (tests and acceptance runs use that).
class AlmacenAjustes {
public:
    explicit AlmacenAjustes(const std::string& archivoIni = "");
    ~AlmacenAjustes();

    std::string GetSetting(const std::string& clave, const std::string& defecto = "") const;
    // Raises an error when the store cannot be written.
    void SaveSetting(const std::string& clave, const std::string& valor);
    // The windows' geometry and column state, group "VENTANAS" beside "CONFIG":
    // text (base64) per window; losing one only means a window opens at its default.
    std::string GetVentana(const std::string& clave) const;
    void SaveVentana(const std::string& clave, const std::string& valor);
    std::string Ubicacion() const;

private:
    std::unique_ptr<QSettings> m_s;
};
