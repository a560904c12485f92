#include "app/form.h"

// Not built yet.
void TForm1::Button17Click() {
    throw Exception("Button17Click: 未実装");
}
void TForm1::Button18Click() {
    throw Exception("Button18Click: 未実装");
}
