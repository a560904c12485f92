#include "app/form.h"

// Not built yet.
void TForm1::Button38Click() { throw Exception("Button38Click: 未実装"); }
void TForm1::Button39Click() { throw Exception("Button39Click: 未実装"); }
void TForm1::Button42Click() { throw Exception("Button42Click: 未実装"); }
