#pragma once
#include <fstream>
#include <functional>
#include <string>

namespace Lectran {

// The text-file reader of the shipment import. Lines come back without their
// line end (CR LF or LF); a last line without one is still read. Files come in
// Windows-1252; a file with a UTF-8 byte-order mark, or whose text is valid
// UTF-8, is read as UTF-8. Lines are returned as UTF-8. The file is streamed.
class Gestor {
public:
    void Ubicacion_Archivo(const std::string& ruta) { m_ruta = ruta; }
    const std::string& Ubicacion_Archivo() const { return m_ruta; }
    // Opens the file for reading (the argument is the original's file mode, 1).
    void Abrir_Archivo(int modo);
    bool FindeArchivo();
    std::string LeerLinea();
    void Cerrar_Archivo();

private:
    enum class Codificacion { Desconocida, Utf8, Cp1252 };
    std::string Decodificar(std::string linea);

    std::string m_ruta;
    std::ifstream m_in;
    Codificacion m_cod = Codificacion::Desconocida;
    bool m_primera = true;
};

// The system-information component: the file-open dialog of the import.
// The windows program installs the dialog; without one, ShowOpen returns "".
class Entorno {
public:
    using Dialogo = std::function<std::string(const std::string& titulo, void* ventana)>;
    static void InstalarDialogo(Dialogo d);
    // Shows a file-open dialog; the chosen file's full path, or "" when cancelled.
    std::string ShowOpen(const std::string& titulo, void* ventana, const std::string& filtro,
                         const std::string& carpeta);
};

} // namespace Lectran
