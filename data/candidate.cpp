#include "app/form.h"

// Not built yet.
void TForm1::Button35Click() {
    throw Exception("Button35Click: 未実装");
}
void TForm1::Button32Click() {
    throw Exception("Button32Click: 未実装");
}
void TForm1::Button31Click() {
    throw Exception("Button31Click: 未実装");
}
