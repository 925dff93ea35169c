#include "platform/Lectran.h"

#include "platform/AppError.h"
#include "platform/Texto.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace Lectran {

void Gestor::Abrir_Archivo(int) {
    Cerrar_Archivo();
    // A folder opens like an empty file here: it would import as a file without records.
    std::error_code ec;
    if (std::filesystem::is_directory(m_ruta, ec))
        throw AppError(75, "Lectran.Gestor.Abrir_Archivo", "La ruta " + m_ruta + " es una carpeta, no un archivo.");
    errno = 0;
    m_in.open(m_ruta, std::ios::binary);
    if (!m_in) {
        int causa = errno;
        m_in.clear();
        // A file that is there but cannot be read is no missing file: say why.
        if (std::filesystem::exists(m_ruta, ec))
            throw AppError(75, "Lectran.Gestor.Abrir_Archivo",
                           "No se puede leer el archivo " + m_ruta + ": " +
                               (causa == EACCES || causa == EPERM ? std::string("permiso denegado")
                                : causa                           ? std::string(std::strerror(causa))
                                                                  : std::string("error de acceso")) +
                               ".");
        throw AppError(53, "Lectran.Gestor.Abrir_Archivo", "No se encontró el archivo " + m_ruta);
    }
    m_cod = Codificacion::Desconocida;
    m_pos = m_fin = 0;
    m_bloques = 0;
    m_linea = 0;
    m_primera = true;
}

bool Gestor::Llenar(const char* operacion) {
    if (m_pos < m_fin)
        return true;
    if (!m_in.is_open() || m_in.eof())
        return false;
    if (m_buf.empty())
        m_buf.resize(256 * 1024);
    m_in.read(m_buf.data(), static_cast<std::streamsize>(m_buf.size()));
    // A read error is no end of file: the lines after it would be lost silently.
    if (m_in.bad())
        throw AppError(57, operacion, "Error de lectura en el archivo " + m_ruta);
    m_bloques += m_fin;
    m_pos = 0;
    m_fin = static_cast<size_t>(m_in.gcount());
    return m_fin > 0;
}

bool Gestor::FindeArchivo() {
    if (!m_in.is_open())
        return true;
    return !Llenar("Lectran.Gestor.FindeArchivo");
}

std::string Gestor::LeerLinea() {
    if (!m_in.is_open())
        throw AppError(52, "Lectran.Gestor.LeerLinea", "El archivo no está abierto.");
    std::string linea;
    ++m_linea;
    // CR LF, LF and a lone CR all end a line: a file from an old Mac editor
    // must not come in as one line with its records run together.
    while (Llenar("Lectran.Gestor.LeerLinea")) {
        const char* desde = m_buf.data() + m_pos;
        const char* fin = m_buf.data() + m_fin;
        // The line's end is the first LF or CR: a fast search for the LF, then
        // for a CR only before it.
        const char* lf = static_cast<const char*>(std::memchr(desde, '\n', static_cast<size_t>(fin - desde)));
        const char* cr =
            static_cast<const char*>(std::memchr(desde, '\r', static_cast<size_t>((lf ? lf : fin) - desde)));
        const char* p = cr ? cr : lf ? lf : fin;
        const size_t n = static_cast<size_t>(p - desde);
        if (linea.size() + n > kLargoMaximo)
            throw AppError(57, "Lectran.Gestor.LeerLinea",
                           "La línea " + std::to_string(m_linea) + " del archivo " + m_ruta + " tiene más de " +
                               std::to_string(kLargoMaximo) +
                               " caracteres: ningún registro es tan largo, el archivo no es válido.");
        linea.append(desde, n);
        m_pos += n;
        if (p == fin)
            continue; // the line goes on in the next block
        ++m_pos;
        if (*p == '\r' && Llenar("Lectran.Gestor.LeerLinea") && m_buf[m_pos] == '\n')
            ++m_pos;
        break;
    }
    if (m_primera) {
        m_primera = false;
        if (EmpiezaCon(linea, "\xEF\xBB\xBF")) {
            linea.erase(0, 3);
            m_cod = Codificacion::Utf8;
        }
    }
    return Decodificar(std::move(linea));
}

std::string Gestor::Decodificar(std::string linea) {
    if (EsAscii(linea))
        return linea;
    // The first line with other characters decides the file's code page; a
    // line that is not valid UTF-8 is read as Windows-1252 in any case.
    bool utf8 = EsUtf8Valido(linea);
    if (m_cod == Codificacion::Desconocida)
        m_cod = utf8 ? Codificacion::Utf8 : Codificacion::Cp1252;
    if (m_cod == Codificacion::Utf8 && utf8)
        return linea;
    return Cp1252aUtf8(linea);
}

void Gestor::Cerrar_Archivo() {
    if (m_in.is_open())
        m_in.close();
    m_in.clear();
    m_pos = m_fin = 0;
}

} // namespace Lectran
