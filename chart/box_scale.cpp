#include "app/form.h"

// Not built yet.
void TForm1::Button4Click() { throw Exception("Button4Click: 未実装"); }
void TForm1::Button5Click() { throw Exception("Button5Click: 未実装"); }
void TForm1::Button14Click() { throw Exception("Button14Click: 未実装"); }
void TForm1::Button28Click() { throw Exception("Button28Click: 未実装"); }
