#include "app/form.h"

// Not built yet.
void TForm1::Button3Click() { throw Exception("Button3Click: 未実装"); }
void TForm1::Button34Click() { throw Exception("Button34Click: 未実装"); }
