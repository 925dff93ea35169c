#include "reports/ArchivoExportado.h"

#include "platform/AppError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Reportes {

ArchivoExportado::ArchivoExportado(std::string ruta) : m_ruta(std::move(ruta)), m_destino(m_ruta) {
    struct stat st {};
    if (lstat(m_ruta.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return; // the writer's own open reports why
        // Created here, exclusively: what is removed on failure is only ever ours.
        int fd = open(m_ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            m_propio = true;
        }
        return;
    }
    if (!S_ISREG(st.st_mode))
        return;
    std::string plantilla = m_ruta + ".velmarion-XXXXXX";
    int fd = mkstemp(plantilla.data());
    if (fd < 0)
        return; // a folder we cannot write in: the file itself, in place
    fchmod(fd, st.st_mode & 07777);
    close(fd);
    m_destino = plantilla;
    m_propio = true;
}

ArchivoExportado::~ArchivoExportado() {
    if (!m_terminado && m_propio) {
        struct stat st {};
        if (lstat(m_destino.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            unlink(m_destino.c_str());
    }
}

void ArchivoExportado::Fallar(const std::string& porque) const {
    throw AppError(75, "Reportes.Exportar", "No se pudo escribir el archivo " + m_ruta + ": " + porque);
}

void ArchivoExportado::Terminar(const std::string& final) {
    struct stat st {};
    if (stat(m_destino.c_str(), &st) != 0)
        Fallar(std::strerror(errno));
    if (S_ISREG(st.st_mode)) {
        int fd = open(m_destino.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            Fallar(std::strerror(errno));
        // What the disk took, not what the writer's buffers held.
        const bool guardado = fsync(fd) == 0;
        const int error = errno;
        std::string cola(1024, '\0');
        const off_t desde = st.st_size > 1024 ? st.st_size - 1024 : 0;
        const ssize_t leidos = pread(fd, cola.data(), cola.size(), desde);
        close(fd);
        if (!guardado)
            Fallar(std::strerror(error));
        if (leidos <= 0 || cola.substr(0, static_cast<size_t>(leidos)).find(final) == std::string::npos)
            Fallar("el archivo quedó incompleto (¿disco lleno?)");
        if (m_destino != m_ruta && std::rename(m_destino.c_str(), m_ruta.c_str()) != 0)
            Fallar(std::strerror(errno));
    }
    m_terminado = true;
}

} // namespace Reportes
