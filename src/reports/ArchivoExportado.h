#pragma once
#include <string>

namespace Reportes {

// The file an export writes, so that a failed export never passes for a saved
// one and leaves no partial file behind. Where nothing stood at the path, the
// export creates the file there and removes it again when it fails. A regular
// file already there is kept until the new one is complete: the export writes
// a file of its own beside it and puts it in its place at the end. Anything
// else (a device such as /dev/full, a link) is written in place and never
// removed or replaced.
class ArchivoExportado {
public:
    explicit ArchivoExportado(std::string ruta);
    ~ArchivoExportado(); // without Terminar: removes the file this export created
    ArchivoExportado(const ArchivoExportado&) = delete;
    ArchivoExportado& operator=(const ArchivoExportado&) = delete;

    // Where the writer writes.
    const std::string& Destino() const { return m_destino; }
    // After the writer succeeded: the file is on disk, whole (it ends with
    // `final` within its last kilobyte) and in its place; an AppError naming
    // the path otherwise.
    void Terminar(const std::string& final);

private:
    [[noreturn]] void Fallar(const std::string& porque) const;

    std::string m_ruta, m_destino;
    bool m_propio = false; // m_destino is a regular file this export created
    bool m_terminado = false;
};

} // namespace Reportes
