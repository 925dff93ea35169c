// The line reader on any file: every line comes back bounded, never a crash or
// an endless read.
#include "platform/AppError.h"
#include "platform/Lectran.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    static const std::string ruta = "/tmp/velmarion-fuzz-lectran-" + std::to_string(getpid()) + ".txt";
    FILE* f = std::fopen(ruta.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(datos, 1, largo, f);
    std::fclose(f);
    Lectran::Gestor g;
    g.Ubicacion_Archivo(ruta);
    try {
        g.Abrir_Archivo(1);
        size_t lineas = 0;
        while (!g.FindeArchivo()) {
            std::string l = g.LeerLinea();
            // Decoded from Windows-1252 a character takes at most 3 bytes.
            if (l.size() > 3 * Lectran::Gestor::kLargoMaximo || ++lineas > largo + 1)
                std::abort();
        }
    } catch (const AppError&) {
    }
    g.Cerrar_Archivo();
    return 0;
}
