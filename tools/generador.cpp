#include "tools/generador.h"

#include "app/Arranque.h"
#include "platform/Texto.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <stdexcept>

namespace {

using Art = Demo::ArticuloDemo;

// A text field: cut to its width, blanks after it (widths count characters).
std::string Campo(const std::string& texto, size_t ancho) {
    std::string r = Left(texto, ancho);
    r.append(ancho - Len(r), ' ');
    return r;
}

// A number field: the digits of a whole number, zeros in front.
std::string Digitos(long long valor, size_t ancho) {
    std::string d = std::to_string(valor < 0 ? 0 : valor);
    if (d.size() > ancho)
        throw std::logic_error("el valor " + d + " no cabe en " + std::to_string(ancho) + " dígitos");
    return std::string(ancho - d.size(), '0') + d;
}

std::string Cp1252(const std::string& utf8) {
    std::string r;
    r.reserve(utf8.size());
    for (char32_t c : Utf8aU32(utf8)) {
        int b = CodigoAnsi(c);
        if (b < 0)
            throw std::invalid_argument("el texto \"" + utf8 + "\" tiene caracteres fuera de Windows-1252");
        r.push_back(static_cast<char>(b));
    }
    return r;
}

int DiasDelMes(int anio, int mes) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    return mes == 2 && bisiesto ? 29 : dias[mes - 1];
}

long long Redondear(double v) {
    return static_cast<long long>(std::llround(v));
}

// The VIN's check digit (ninth character) from the other sixteen.
char DigitoVerificadorVin(const std::string& vin) {
    static const int pesos[17] = {8, 7, 6, 5, 4, 3, 2, 10, 0, 9, 8, 7, 6, 5, 4, 3, 2};
    auto valor = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        static const std::string letras = "ABCDEFGHJKLMNPRSTUVWXYZ";
        static const int valores[] = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 7, 9, 2, 3, 4, 5, 6, 7, 8, 9};
        return valores[letras.find(c)];
    };
    int suma = 0;
    for (size_t i = 0; i < 17; ++i)
        suma += valor(vin[i]) * pesos[i];
    int resto = suma % 11;
    return resto == 10 ? 'X' : static_cast<char>('0' + resto);
}

// World manufacturer identifiers by the importer's country code.
std::string Wmi(const std::string& pais) {
    if (pais == "JAP")
        return "JRV";
    if (pais == "BRA")
        return "9BV";
    if (pais == "ALE")
        return "WRV";
    if (pais == "ARG")
        return "8AV";
    if (pais == "COR")
        return "KRV";
    return "3RV";
}

const char* const kRegimenes[] = {"IC04", "IC05", "IT04", "IT14", "ICR1", "ICR2", "EC01", "IM40"};
const char* const kAduanas[] = {"001", "073", "033", "019", "053"};
const char* const kAlfabetoVin = "ABCDEFGHJKLMNPRSTUVWXYZ0123456789";

} // namespace

std::string RegistroGenerado::Linea() const {
    std::string l;
    if (Clase == 'H') {
        l = "H" + Campo("", 10) + Campo(Interno, 10) + Campo(InternoSufijo, 2) + Campo(Factura, 12) +
            Campo(NroCTC, 20) + Campo(Modelo, 9) + Campo(Variante, 21) + Digitos(ImporteCentavos, 12) +
            Campo(NroVIN, 17) + Campo("", 7) + Campo(Pais, 3) + " " + Campo(Tipo, 4);
    } else {
        std::string fecha = Digitos(Anio, 4) + Digitos(Mes, 2) + Digitos(Dia, 2);
        l = "P" + Campo("", 10) + Campo("", 2) + Campo(ArticuloEscrito, 21) + Digitos(CantidadMilesimas, 13) +
            Campo("", 2) + Digitos(CifDiezmilesimas, 22) + Campo(Posicion, 15) + fecha + Campo(DIT, 16) + Campo("", 4) +
            Campo("", 3) + Campo(Item, 4) + Campo(SubItem, 4) + Campo(Modelo, 9) + Campo(Variante, 19) +
            Digitos(PrecioDiezmilesimas, 22) + Campo(Origen, 3) + Campo(Pais, 3) + Digitos(Importe1Diezmilesimas, 22) +
            Digitos(Importe2Diezmilesimas, 22);
    }
    return l;
}

void Generador::Cupo::Iniciar(double fraccion, long total) {
    Quedan = total;
    Elegir = total > 0 && fraccion > 0 ? std::max(1L, static_cast<long>(std::llround(fraccion * total))) : 0;
    Elegir = std::min(Elegir, total);
}

Generador::Generador(const OpcionesGenerador& op, std::vector<Demo::ArticuloDemo> pool)
    : m_op(op), m_pool(std::move(pool)), m_azar(op.Semilla) {
    auto fraccion = [](double f, const char* nombre) {
        if (!(f >= 0 && f <= 1))
            throw std::invalid_argument(std::string(nombre) + " debe estar entre 0 y 1");
    };
    if (op.Cabeceras < 0 || op.DetallesPorCabecera < 0)
        throw std::invalid_argument("las cantidades de registros no pueden ser negativas");
    fraccion(op.Nuevos, "la fracción de artículos nuevos");
    fraccion(op.Ceros, "la fracción de precios cero");
    fraccion(op.SufijosMalos, "la fracción de sufijos malos");
    fraccion(op.SinVinculo, "la fracción de detalles sin vehículo");
    fraccion(op.Asteriscos, "la fracción de artículos con asteriscos");
    fraccion(op.Paises000, "la fracción de países 000");
    if (op.Nuevos + op.SufijosMalos > 1)
        throw std::invalid_argument("nuevos y sufijos malos juntos no pueden pasar de 1");
    if (Len(op.Interno) > 10 || Len(op.Sufijo) > 2 || Len(op.Tipo) > 4)
        throw std::invalid_argument("interno (10), sufijo (2) o tipo (4 caracteres) demasiado largos");

    for (const Art& a : m_pool) {
        auto& lista = a.Tipo == Art::Clase::Vehiculo ? m_vehiculos : m_partes;
        lista[static_cast<int>(a.Catalogo)].push_back(&a);
    }
    if (m_vehiculos[0].empty() || m_partes[0].empty())
        throw std::invalid_argument("el conjunto de artículos no tiene vehículos y partes del catálogo");

    m_totalP = op.DetallesTotal >= 0 ? op.DetallesTotal : op.Cabeceras * op.DetallesPorCabecera;
    m_hNuevo.Iniciar(op.Nuevos, op.Cabeceras);
    m_hMalo.Iniciar(op.SufijosMalos, op.Cabeceras);
    m_hMalo.Elegir = std::min(m_hMalo.Elegir, op.Cabeceras - m_hNuevo.Elegir);
    // Zero prices go to otherwise sound articles, so that each fault shows on its own.
    m_hCero.Iniciar(op.Ceros, op.Cabeceras);
    m_hCero.Quedan = op.Cabeceras - m_hNuevo.Elegir - m_hMalo.Elegir;
    m_hCero.Elegir = std::min(m_hCero.Elegir, m_hCero.Quedan);
    m_pNuevo.Iniciar(op.Nuevos, m_totalP);
    m_pMalo.Iniciar(op.SufijosMalos, m_totalP);
    m_pMalo.Elegir = std::min(m_pMalo.Elegir, m_totalP - m_pNuevo.Elegir);
    m_pCero.Iniciar(op.Ceros, m_totalP);
    m_pCero.Quedan = m_totalP - m_pNuevo.Elegir - m_pMalo.Elegir;
    m_pCero.Elegir = std::min(m_pCero.Elegir, m_pCero.Quedan);
    m_pSinVinculo.Iniciar(op.SinVinculo, m_totalP);
    if (op.PaisSinRelacion && op.Cabeceras > 0)
        m_hSinRelacion = op.Cabeceras / 2;
    m_nroFactura = 1 + static_cast<long>(Entero(900000));
}

std::uint64_t Generador::Entero(std::uint64_t n) {
    return n == 0 ? 0 : m_azar() % n;
}

double Generador::Real() {
    return static_cast<double>(m_azar() >> 11) * 0x1.0p-53;
}

bool Generador::Toca(Cupo& c) {
    if (c.Quedan <= 0)
        return false;
    bool si = static_cast<long>(Entero(static_cast<std::uint64_t>(c.Quedan))) < c.Elegir;
    --c.Quedan;
    if (si)
        --c.Elegir;
    return si;
}

int Generador::Elegir(Cupo& a, Cupo& b) {
    if (a.Quedan <= 0)
        return 0;
    long u = static_cast<long>(Entero(static_cast<std::uint64_t>(a.Quedan)));
    int r = u < a.Elegir ? 1 : u < a.Elegir + b.Elegir ? 2 : 0;
    --a.Quedan;
    --b.Quedan;
    if (r == 1)
        --a.Elegir;
    if (r == 2)
        --b.Elegir;
    return r;
}

const Art& Generador::Tomar(const std::vector<const Art*>& lista) {
    return *lista[Entero(lista.size())];
}

long Generador::DetallesDe(long h) const {
    if (m_op.DetallesTotal < 0)
        return m_op.DetallesPorCabecera;
    long base = m_totalP / m_op.Cabeceras, resto = m_totalP % m_op.Cabeceras;
    return h < resto ? base + 1 : base;
}

bool Generador::Siguiente(RegistroGenerado& r) {
    if (m_pPendientes > 0) {
        --m_pPendientes;
        Detalle(r);
        return true;
    }
    if (m_h < m_op.Cabeceras) {
        Cabecera(r);
        m_pPendientes = DetallesDe(m_h - 1);
        return true;
    }
    if (m_op.Cabeceras == 0 && m_p < m_totalP) {
        Detalle(r);
        return true;
    }
    return false;
}

void Generador::Cabecera(RegistroGenerado& r) {
    r = RegistroGenerado{};
    r.Clase = 'H';
    int cat = Elegir(m_hNuevo, m_hMalo);
    const auto& lista = m_vehiculos[cat].empty() ? m_vehiculos[0] : m_vehiculos[cat];
    const Art& a = Tomar(lista);
    r.Articulo = &a;
    r.Nuevo = a.Catalogo == Art::EnCatalogo::No;
    r.SufijoMalo = a.Catalogo == Art::EnCatalogo::SufijoMalo;
    r.Cero = cat == 0 && Toca(m_hCero);
    r.Modelo = a.Modelo;
    r.Variante = a.Variante;
    r.Pais = m_h == m_hSinRelacion ? Demo::kPaisSinRelacion : a.Pais;
    r.Interno = m_op.Interno;
    r.InternoSufijo = m_op.Sufijo;
    r.Tipo = m_op.Tipo;

    // Several vehicles travel on one invoice.
    if (m_facturaQueda == 0) {
        ++m_nroFactura;
        m_facturaQueda = 1 + static_cast<long>(Entero(4));
        m_factura = "E0003" + Digitos(m_nroFactura % 10000000, 7);
    }
    --m_facturaQueda;
    r.Factura = m_factura;
    r.NroCTC = "CTC2024" + Digitos((m_nroFactura * 100 + m_h % 100) % 100000000, 8);

    std::string vin = Wmi(a.Pais);
    for (int i = 0; i < 5; ++i)
        vin += kAlfabetoVin[Entero(33)];
    vin += '0';                      // check digit, below
    vin += 'R';                      // model year 2024
    vin += kAlfabetoVin[Entero(23)]; // plant: a letter
    vin += Digitos((m_nroFactura * 37 + m_h) % 1000000, 6);
    vin[8] = DigitoVerificadorVin(vin);
    r.NroVIN = vin;

    r.ImporteCentavos = r.Cero ? 0 : Redondear(a.Precio * 100 * (0.95 + 0.1 * Real()));
    m_vehiculo = r;
    ++m_h;
    ++m_resumen.Cabeceras;
    m_resumen.Nuevos += r.Nuevo;
    m_resumen.SufijosMalos += r.SufijoMalo;
    m_resumen.Ceros += r.Cero;
}

void Generador::Detalle(RegistroGenerado& r) {
    r = RegistroGenerado{};
    r.Clase = 'P';
    int cat = Elegir(m_pNuevo, m_pMalo);
    const auto& lista = m_partes[cat].empty() ? m_partes[0] : m_partes[cat];
    const Art& a = Tomar(lista);
    r.Articulo = &a;
    r.Nuevo = a.Catalogo == Art::EnCatalogo::No;
    r.SufijoMalo = a.Catalogo == Art::EnCatalogo::SufijoMalo;
    r.Cero = cat == 0 && Toca(m_pCero);

    // The importer sometimes writes the part number with asterisks; the import removes them.
    r.ArticuloEscrito = a.Articulo;
    if (Real() < m_op.Asteriscos) {
        size_t n = 1 + Entero(3);
        for (size_t i = 0; i < n && Len(r.ArticuloEscrito) < 21; ++i) {
            size_t pos = Entero(r.ArticuloEscrito.size() + 1);
            r.ArticuloEscrito.insert(pos, "*");
        }
    }

    r.SinVinculo = Toca(m_pSinVinculo) || m_h == 0;
    if (r.SinVinculo) {
        // A vehicle of an earlier shipment: no H record of this file has it.
        r.Modelo = "STOCK";
        r.Variante = "REPOSICION";
    } else {
        r.Modelo = m_vehiculo.Modelo;
        r.Variante = m_vehiculo.Variante;
    }

    if (a.Unidad == "01")
        r.CantidadMilesimas = 500 + static_cast<long long>(Entero(49500));
    else
        r.CantidadMilesimas = (1 + static_cast<long long>(Entero(8))) * 1000;
    r.PrecioDiezmilesimas = r.Cero ? 0 : Redondear(a.Precio * 10000 * (0.95 + 0.1 * Real()));
    r.CifDiezmilesimas = Redondear(a.Precio * 10000 * (1.05 + 0.07 * Real()));
    r.Importe1Diezmilesimas = Redondear(static_cast<double>(r.CantidadMilesimas) * r.PrecioDiezmilesimas / 1000.0);
    r.Importe2Diezmilesimas = Redondear(static_cast<double>(r.CantidadMilesimas) * r.CifDiezmilesimas / 1000.0);
    r.Posicion = a.Ncm + Demo::LetraControl(a.Ncm);

    r.Anio = 2019 + static_cast<int>(Entero(6));
    r.Mes = 1 + static_cast<int>(Entero(12));
    r.Dia = 1 + static_cast<int>(Entero(static_cast<std::uint64_t>(DiasDelMes(r.Anio, r.Mes))));
    // Customs document: year, customs office, regime (characters 6 to 9), number, check letter.
    r.DIT = Digitos(r.Anio % 100, 2) + kAduanas[Entero(5)] + kRegimenes[Entero(8)] + Digitos(Entero(1000000), 6) +
            static_cast<char>('A' + Entero(26));
    r.Item = Digitos(1 + static_cast<long long>(Entero(40)), 4);
    r.SubItem = Digitos(1 + static_cast<long long>(Entero(9)), 4);

    std::string origen = Demo::OrigenDe(a.Pais);
    r.Origen = Real() < m_op.Paises000 || origen.empty() ? "000" : origen;
    r.Pais = Real() < m_op.Paises000 ? "000" : a.Pais;
    if (m_op.PaisSinRelacion && m_op.Cabeceras == 0 && m_p == 0)
        r.Pais = Demo::kPaisSinRelacion;

    ++m_p;
    ++m_resumen.Detalles;
    m_resumen.Nuevos += r.Nuevo;
    m_resumen.SufijosMalos += r.SufijoMalo;
    m_resumen.Ceros += r.Cero;
    m_resumen.SinVinculo += r.SinVinculo;
}

std::vector<Demo::ArticuloDemo> PoolGenerador(const OpcionesGenerador& op) {
    return Demo::LeerArticulos(op.CarpetaDatos.empty() ? Arranque::CarpetaDatos() : op.CarpetaDatos);
}

ResumenGenerador GenerarEnvio(std::ostream& salida, const OpcionesGenerador& op) {
    return GenerarEnvio(salida, op, PoolGenerador(op));
}

ResumenGenerador GenerarEnvio(std::ostream& salida, const OpcionesGenerador& op, std::vector<Demo::ArticuloDemo> pool) {
    Generador g(op, std::move(pool));
    if (op.Salida == OpcionesGenerador::Codificacion::Utf8ConBom)
        salida << "\xEF\xBB\xBF";
    RegistroGenerado r;
    std::string bloque;
    while (g.Siguiente(r)) {
        std::string linea = r.Linea();
        bloque += op.Salida == OpcionesGenerador::Codificacion::Windows1252 ? Cp1252(linea) : linea;
        bloque += "\r\n";
        if (bloque.size() > (1 << 16)) {
            salida.write(bloque.data(), static_cast<std::streamsize>(bloque.size()));
            bloque.clear();
        }
    }
    salida.write(bloque.data(), static_cast<std::streamsize>(bloque.size()));
    salida.flush();
    return g.Resumen();
}
