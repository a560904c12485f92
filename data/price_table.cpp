#include "app/form.h"

// Not built yet.
void TForm1::Button2Click() { throw Exception("Button2Click: 未実装"); }
