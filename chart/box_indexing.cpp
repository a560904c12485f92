#include "app/form.h"

// Not built yet.
void TForm1::Button12Click() { throw Exception("Button12Click: 未実装"); }
