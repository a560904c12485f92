#include "app/form.h"

// Not built yet.
void TForm1::Button8Click() {
    throw Exception("Button8Click: 未実装");
}
void TForm1::Button9Click() {
    throw Exception("Button9Click: 未実装");
}
void TForm1::Button10Click() {
    throw Exception("Button10Click: 未実装");
}
void TForm1::Button13Click() {
    throw Exception("Button13Click: 未実装");
}
void TForm1::Button11Click() {
    throw Exception("Button11Click: 未実装");
}
