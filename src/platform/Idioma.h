#pragma once

// Qt's own texts (file dialogs, standard buttons, page set-up) in Spanish, as
// the rest of the program: loads Qt's Spanish translations from Qt's
// translations folder into the running application. False when they are not
// installed (the texts stay in English) or no application exists yet.
bool InstalarTraduccionesQt();
