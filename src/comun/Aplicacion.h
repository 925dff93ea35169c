#pragma once
#include "platform/Ajustes.h"
#include "platform/Almacor.h"
#include "platform/Dalvorm.h"
#include "platform/Lectran.h"
#include "platform/Pontevar.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class Operador;

// The settings read at start-up and updated by the settings dialog.
struct Ajustes {
    std::string INTDUN;                // declared unit written into every article
    std::string INTCAT;                // catalog for catalog look-ups
    std::string AA_MARCA;              // brand value of suffix AA
    std::string ORIGEN;                // origin of the articles made from header records
    bool MODELOVARIANTESINSPC = false; // model and variant joined without a blank
};

// The application state: the run-wide values held by the main window from
// start-up to the end of the run, read and written by every subsystem.
struct Aplicacion {
    std::string InternoLinea; // command-line interno
    std::string ArchivoLinea; // command-line file

    std::string Home; // the program's folder (holds db/)
    Almacor::Gestor Db;
    std::unique_ptr<Pontevar::Principal> Entidades;
    Dalvorm::Motor Formato;

    int16_t Paso = 1;                // wizard step: 1, or 2 for steps 2 and 3
    std::string InternoActual;       // interno being processed
    bool ClasificarAlEntrar = false; // leaving step 1 classifies
    std::string TipoDeclaracion;     // "RR01", "ECR1", "ICR1", "ICR2"
    std::string RespuestaTipo;       // the operator's answer to the type question
    int16_t ModoDepuracion = 1;      // 1 articles with errors, 2 without
    std::string Retorno1, Retorno2;  // the two dialog return texts
    double TotalDescarga = 0;        // discharge quantity total of a transfer

    Ajustes Config;
    std::unique_ptr<AlmacenAjustes> Almacen;
    std::string Version; // the version line

    Operador* Op = nullptr;
    // The wizard's forward move, installed by whoever drives the wizard; the
    // import calls it when it hands a new interno over.
    std::function<void()> MAIN_CambiarPaso;
};
