#pragma once
// Generator of valid shipment files: header (H, 129 columns) and detail (P,
// 225 columns) records with the importer's layout, any size, the same bytes
// for the same seed. Articles come from the demo pool, so most of them are
// found in the demo catalog; the fractions below put in the faults that the
// classification and the transfer must catch.
#include "app/Demo.h"

#include <cstdint>
#include <iosfwd>
#include <random>
#include <string>
#include <vector>

struct OpcionesGenerador {
    enum class Codificacion { Windows1252, Utf8, Utf8ConBom };

    std::uint64_t Semilla = 1;
    long Cabeceras = 10;          // H records
    long DetallesPorCabecera = 3; // P records after each H record
    long DetallesTotal = -1;      // when 0 or more: this many P records spread evenly over the H records
    // Tipo of every H record: "ECR1", "ICR1", "ICR2", "RR01"; "" (or any other
    // code) leaves the type open and the import asks for it.
    std::string Tipo = "ECR1";
    std::string Interno = "1001"; // H Interno (up to 10 characters)
    std::string Sufijo = "01";    // H InternoSufijo (up to 2 characters)

    // Fractions of the H records and, separately, of the P records. Each
    // becomes an exact count (rounded, at least one when above zero) placed at
    // random records.
    double Nuevos = 0;            // articles left out of the demo catalog
    double Ceros = 0;             // zero price (H Importe, P PrecioUnitario), only on otherwise sound articles
    double SufijosMalos = 0;      // articles whose catalog suffix string is wrong for the position
    double SinVinculo = 0.05;     // P records whose vehicle is no H record of the file
    double Asteriscos = 0.1;      // P Articulo written with asterisks
    double Paises000 = 0.1;       // P Origen and Pais written "000" (each on its own)
    bool PaisSinRelacion = false; // one record (the middle H, or the first P) with a code the demo does not relate

    Codificacion Salida = Codificacion::Windows1252;
    // Folder of demo-articulos.csv; "" means the installed data folder.
    std::string CarpetaDatos;
};

// One generated record with the values it was made from. Amounts are whole
// numbers of the field's smallest unit, as the file writes them.
struct RegistroGenerado {
    char Clase = 'H';                             // 'H' or 'P'
    const Demo::ArticuloDemo* Articulo = nullptr; // valid while its generator lives
    bool Nuevo = false, SufijoMalo = false, Cero = false, SinVinculo = false;

    std::string Modelo, Variante, Pais; // both records
    // H
    std::string Interno, InternoSufijo, Factura, NroCTC, NroVIN, Tipo;
    long long ImporteCentavos = 0; // 10 + 2 digits
    // P
    std::string ArticuloEscrito;                             // as written, asterisks included
    long long CantidadMilesimas = 0;                         // 10 + 3 digits
    long long CifDiezmilesimas = 0, PrecioDiezmilesimas = 0; // 18 + 4 digits (Cif per unit)
    long long Importe1Diezmilesimas = 0, Importe2Diezmilesimas = 0;
    std::string Posicion; // 15 characters: position and check letter
    int Anio = 0, Mes = 0, Dia = 0;
    std::string DIT, Item, SubItem, Origen;

    // The record's line (UTF-8, without line end), 129 or 225 characters.
    std::string Linea() const;
};

// Counts of what a whole file holds.
struct ResumenGenerador {
    long Cabeceras = 0, Detalles = 0, Nuevos = 0, Ceros = 0, SufijosMalos = 0, SinVinculo = 0;
};

// Records one at a time, in file order; memory does not grow with the size.
class Generador {
public:
    // Throws std::invalid_argument for options out of range.
    Generador(const OpcionesGenerador& opciones, std::vector<Demo::ArticuloDemo> pool);
    // Records point into the generator's own pool.
    Generador(const Generador&) = delete;
    Generador& operator=(const Generador&) = delete;
    // The next record; false when the file is complete.
    bool Siguiente(RegistroGenerado& r);
    const ResumenGenerador& Resumen() const { return m_resumen; }

private:
    // Exact-count sampling over a known number of draws (each draw is one
    // record): k of n chosen, uniformly, without remembering the past.
    struct Cupo {
        long Quedan = 0, Elegir = 0;
        void Iniciar(double fraccion, long total);
    };
    std::uint64_t Entero(std::uint64_t n); // 0 .. n-1
    double Real();                         // [0, 1)
    bool Toca(Cupo& c);
    // Three exclusive choices from two quotas: 0 neither, 1 the first, 2 the second.
    int Elegir(Cupo& a, Cupo& b);
    const Demo::ArticuloDemo& Tomar(const std::vector<const Demo::ArticuloDemo*>& lista);
    void Cabecera(RegistroGenerado& r);
    void Detalle(RegistroGenerado& r);
    long DetallesDe(long cabecera) const;

    OpcionesGenerador m_op;
    std::vector<Demo::ArticuloDemo> m_pool;
    std::vector<const Demo::ArticuloDemo*> m_vehiculos[3], m_partes[3]; // by EnCatalogo
    std::mt19937_64 m_azar;
    long m_totalP = 0;
    long m_h = 0;    // H records written
    long m_pEnH = 0; // P records written after the current H
    long m_pPendientes = 0;
    long m_p = 0; // P records written
    long m_hSinRelacion = -1;
    Cupo m_hNuevo, m_hMalo, m_hCero, m_pNuevo, m_pMalo, m_pCero, m_pSinVinculo;
    RegistroGenerado m_vehiculo; // the current H record, for the links of its P records
    std::string m_factura;
    long m_facturaQueda = 0;
    long m_nroFactura = 0;
    ResumenGenerador m_resumen;
};

// The demo pool from the options' data folder (or the installed one).
std::vector<Demo::ArticuloDemo> PoolGenerador(const OpcionesGenerador& opciones);

// Writes a whole shipment file: CR LF line ends, in the options' encoding.
ResumenGenerador GenerarEnvio(std::ostream& salida, const OpcionesGenerador& opciones);
ResumenGenerador GenerarEnvio(std::ostream& salida, const OpcionesGenerador& opciones,
                              std::vector<Demo::ArticuloDemo> pool);
