#pragma once

class OperadorQt;

// Hands the windows' operator the dialogs it opens for the runs: the suffix
// picker, the declaration type question and the country-relation list.
void EntregarDialogos(OperadorQt& op);
