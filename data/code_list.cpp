#include "app/form.h"

// Not built yet.
void TForm1::Button25Click() {
    throw Exception("Button25Click: 未実装");
}
