#include "app/form.h"

// Not built yet.
void TForm1::Button6Click() { throw Exception("Button6Click: 未実装"); }
void TForm1::StringGrid1MouseUp(int, int) { throw Exception("StringGrid1MouseUp: 未実装"); }
void TForm1::Edit4DblClick() { throw Exception("Edit4DblClick: 未実装"); }
