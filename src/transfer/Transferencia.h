#pragma once
#include "comun/Operador.h"

struct Aplicacion;

// The transfer of the current interno to the customs-declaration system:
// the pre-check, then cover, invoices and sub-items, discharges, the catalog
// update, the final count and the summary register.
//
// Everything one run writes on the customs side stands or falls together: the
// run holds one transaction per customs database and commits only when the
// final count finds sub-items. A run that ends early leaves the customs side as
// it was, an earlier declaration it agreed to replace included. The work
// database is only read, and held from the pre-check to the summary register:
// the run reads one state of the interno, and a correction or undo from
// another window waits until the declaration is committed or undone.

// The whole transfer. Hecho when the declaration was written and committed
// with every stage whole; Detenido when the pre-check refused the interno or
// the operator kept an earlier declaration; Fallido when an error was shown
// (a failed discharge stage is shown and the declaration still committed).
Resultado FRM3_Tranferir(Aplicacion& app);

// True when no article of the interno still needs depuration.
bool FRAM3_Transfer_A_Validar(Aplicacion& app);
// Asked before any lock is taken: when the interno's cover exists, whether to
// replace it. Detenido when the operator keeps it; otherwise Hecho, with
// `reemplazar` telling whether there was one to replace.
Resultado FRAM3_Transfer_B_Reemplazo(Aplicacion& app, bool& reemplazar);
// Cover, invoices and one sub-item per "OK" article; sets the declaration type.
// Deletes the earlier declaration when `reemplazar`; finding one otherwise (written
// by another run since the question) is an error. An ICR declaration without a
// CIF total is an error too. Hecho only when every sub-item was written.
Resultado FRAM3_Transfer_B_Pasaje(Aplicacion& app, bool reemplazar);
// Discharge lines, the discharge quantity total and the input totals of the
// sub-items. False when an error stopped it (its message already shown).
bool FRAM3_Transfer_B_Descarga(Aplicacion& app);
// Update or insert of every article in the configured catalog.
bool FRAM3_Transfer_C_ActualCAT(Aplicacion& app);
