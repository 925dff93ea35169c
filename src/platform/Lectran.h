#pragma once
#include <fstream>
#include <string>
#include <vector>

namespace Lectran {

// The text-file reader of the shipment import. Lines come back without their
// line end (CR LF, LF or a lone CR); a last line without one is still read. A
// line longer than kLargoMaximo is refused with its number: no record is that
// long, and reading on would take all the memory there is. Files come in
// Windows-1252; a file with a UTF-8 byte-order mark, or whose text is valid
// UTF-8, is read as UTF-8. Lines are returned as UTF-8. The file is streamed.
class Gestor {
public:
    static constexpr size_t kLargoMaximo = 64 * 1024;

    void Ubicacion_Archivo(const std::string& ruta) { m_ruta = ruta; }
    const std::string& Ubicacion_Archivo() const { return m_ruta; }
    // Opens the file for reading (the argument is the file mode; 1, reading, is the only one).
    void Abrir_Archivo(int modo);
    bool FindeArchivo();
    std::string LeerLinea();
    void Cerrar_Archivo();
    // The bytes of the file taken so far (the lines read and their line ends).
    unsigned long long BytesLeidos() const { return m_bloques + m_pos; }

private:
    enum class Codificacion { Desconocida, Utf8, Cp1252 };
    std::string Decodificar(std::string linea);
    // True when bytes are waiting in m_buf, reading the next block when it is
    // spent; a read error is raised with `operacion` as its source.
    bool Llenar(const char* operacion);

    std::string m_ruta;
    std::ifstream m_in;
    long m_linea = 0; // lines read, for the message of a line too long
    Codificacion m_cod = Codificacion::Desconocida;
    bool m_primera = true;
    // The file is read in blocks and lines are cut from them a run at a time:
    // asking the stream for each byte cost more than the rest of the line's import.
    std::vector<char> m_buf;
    size_t m_pos = 0, m_fin = 0;
    unsigned long long m_bloques = 0; // bytes of the blocks before the one in m_buf
};

} // namespace Lectran
