// tarvelo-gen: writes a generated shipment file (to standard output or --salida).
#include "app/Arranque.h"
#include "platform/AppError.h"
#include "tools/generador.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kUso =
    "Uso: tarvelo-gen [--seed N] [--headers N] [--detalles N (por cabecera)] [--detalles-total N]\n"
    "                 [--tipo ECR1|ICR1|ICR2|RR01|ninguno] [--interno N] [--sufijo NN]\n"
    "                 [--nuevos F] [--ceros F] [--sufijos-malos F] [--sin-vinculo F] [--pais-sin-relacion]\n"
    "                 [--utf8|--utf8-bom] [--datos CARPETA] [--salida ARCHIVO]\n"
    "F es una fracción entre 0 y 1 de los registros H y, aparte, de los P (al menos uno si es mayor que 0).\n";

// --help: the same layout as the other two programs' (and so their man pages).
const char* const kAyuda =
    "Uso: tarvelo-gen [OPCIÓN]...\n"
    "Escribe un archivo de envío válido (registros H de 129 columnas y P de 225, CR LF, Windows-1252\n"
    "salvo --utf8 o --utf8-bom), los mismos bytes para la misma semilla, en la salida estándar o en\n"
    "--salida. Los artículos salen del conjunto de demostración (demo-articulos.csv).\n\n"
    "Opciones:\n"
    "      --seed N               semilla del generador (1)\n"
    "      --headers N            registros H (10)\n"
    "      --detalles N           registros P después de cada H (3)\n"
    "      --detalles-total N     N registros P repartidos entre los H\n"
    "      --tipo TIPO            ECR1, ICR1, ICR2, RR01 o ninguno (ECR1); ninguno deja la pregunta abierta\n"
    "      --interno N            número de interno de las cabeceras (1001)\n"
    "      --sufijo NN            sufijo del interno (01)\n"
    "      --nuevos F             artículos que no están en el catálogo de demostración\n"
    "      --ceros F              precios en cero\n"
    "      --sufijos-malos F      artículos cuyos sufijos del catálogo no sirven para su posición\n"
    "      --sin-vinculo F        registros P cuyo vehículo no es un H del archivo (0.05)\n"
    "      --pais-sin-relacion    un registro con un código de país sin relación (MEX)\n"
    "      --utf8                 escribe en UTF-8\n"
    "      --utf8-bom             escribe en UTF-8 con marca de orden de bytes\n"
    "      --datos CARPETA        carpeta de demo-articulos.csv (sin ella: los datos instalados)\n"
    "      --salida ARCHIVO       escribe en ARCHIVO en lugar de la salida estándar\n"
    "  -h, --help                 muestra esta ayuda y termina\n"
    "  -V, --version              muestra la versión y termina\n\n"
    "F es una fracción entre 0 y 1 de los registros H y, aparte, de los P (al menos uno si es mayor que 0).\n\n"
    "Estado de salida:\n"
    "  0  el archivo se escribió entero\n"
    "  1  no se pudo leer el conjunto de artículos o escribir el archivo\n"
    "  2  uso incorrecto (opción o valor)\n";

struct Uso : std::runtime_error {
    using std::runtime_error::runtime_error;
};

long long Entero(const std::string& opcion, const std::string& v) {
    long long n = 0;
    auto [fin, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || fin != v.data() + v.size() || n < 0)
        throw Uso(opcion + " espera un número entero no negativo, no \"" + v + "\"");
    return n;
}

double Fraccion(const std::string& opcion, const std::string& v) {
    double f = 0;
    auto [fin, ec] = std::from_chars(v.data(), v.data() + v.size(), f);
    if (ec != std::errc() || fin != v.data() + v.size() || !(f >= 0 && f <= 1))
        throw Uso(opcion + " espera una fracción entre 0 y 1, no \"" + v + "\"");
    return f;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    OpcionesGenerador op;
    std::string salida;
    try {
        std::vector<std::string> a(argv + 1, argv + argc);
        for (size_t i = 0; i < a.size(); ++i) {
            const std::string& o = a[i];
            auto valor = [&]() -> std::string {
                if (i + 1 >= a.size())
                    throw Uso("falta el valor de " + o);
                return a[++i];
            };
            if (o == "--help" || o == "-h") {
                std::cout << kAyuda;
                return 0;
            } else if (o == "--version" || o == "-V") {
                std::cout << Arranque::TextoVersion("tarvelo-gen");
                return 0;
            } else if (o == "--seed")
                op.Semilla = static_cast<std::uint64_t>(Entero(o, valor()));
            else if (o == "--headers")
                op.Cabeceras = static_cast<long>(Entero(o, valor()));
            else if (o == "--detalles")
                op.DetallesPorCabecera = static_cast<long>(Entero(o, valor()));
            else if (o == "--detalles-total")
                op.DetallesTotal = static_cast<long>(Entero(o, valor()));
            else if (o == "--tipo") {
                std::string t = valor();
                op.Tipo = t == "ninguno" ? "" : t;
                if (op.Tipo.size() > 4)
                    throw Uso("--tipo: ECR1, ICR1, ICR2, RR01, ninguno u otro código de hasta 4 caracteres");
            } else if (o == "--interno")
                op.Interno = valor();
            else if (o == "--sufijo")
                op.Sufijo = valor();
            else if (o == "--nuevos")
                op.Nuevos = Fraccion(o, valor());
            else if (o == "--ceros")
                op.Ceros = Fraccion(o, valor());
            else if (o == "--sufijos-malos")
                op.SufijosMalos = Fraccion(o, valor());
            else if (o == "--sin-vinculo")
                op.SinVinculo = Fraccion(o, valor());
            else if (o == "--pais-sin-relacion")
                op.PaisSinRelacion = true;
            else if (o == "--utf8")
                op.Salida = OpcionesGenerador::Codificacion::Utf8;
            else if (o == "--utf8-bom")
                op.Salida = OpcionesGenerador::Codificacion::Utf8ConBom;
            else if (o == "--datos")
                op.CarpetaDatos = valor();
            else if (o == "--salida")
                salida = valor();
            else
                throw Uso("opción desconocida " + o);
        }
    } catch (const Uso& e) {
        std::cerr << "tarvelo-gen: " << e.what() << "\n" << kUso;
        return 2;
    }

    try {
        auto pool = PoolGenerador(op);
        ResumenGenerador r;
        if (salida.empty()) {
            r = GenerarEnvio(std::cout, op, std::move(pool));
        } else {
            std::ofstream f(salida, std::ios::binary | std::ios::trunc);
            if (!f)
                throw std::runtime_error("no se puede crear " + salida);
            r = GenerarEnvio(f, op, std::move(pool));
            f.close();
            if (!f)
                throw std::runtime_error("no se pudo escribir " + salida);
        }
        std::cerr << "tarvelo-gen: " << r.Cabeceras << " registros H, " << r.Detalles << " registros P (nuevos "
                  << r.Nuevos << ", precio cero " << r.Ceros << ", sufijo malo " << r.SufijosMalos << ", sin vehiculo "
                  << r.SinVinculo << ")\n";
        return 0;
    } catch (const std::invalid_argument& e) {
        std::cerr << "tarvelo-gen: " << e.what() << "\n" << kUso;
        return 2;
    } catch (const AppError& e) {
        std::cerr << "tarvelo-gen: " << e.Description << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tarvelo-gen: " << e.what() << "\n";
        return 1;
    }
}
