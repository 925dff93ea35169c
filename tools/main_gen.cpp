// tarvelo-gen: writes a generated shipment file (to standard output or --salida).
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
                std::cout << kUso;
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
