#include "app/form.h"

// Not built yet.
void TForm1::Button33Click() {
    throw Exception("Button33Click: 未実装");
}
void TForm1::Button37Click() {
    throw Exception("Button37Click: 未実装");
}
void TForm1::Button40Click() {
    throw Exception("Button40Click: 未実装");
}
void TForm1::StringGrid11MouseUp(int, int) {
    throw Exception("StringGrid11MouseUp: 未実装");
}
void TForm1::Label6DblClick() {
    throw Exception("Label6DblClick: 未実装");
}
