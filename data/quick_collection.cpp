#include "app/form.h"

// Not built yet.
void TForm1::Button24Click() {
    throw Exception("Button24Click: 未実装");
}
