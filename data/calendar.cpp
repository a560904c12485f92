#include "app/form.h"

// Not built yet.
void TForm1::Button19Click() {
    throw Exception("Button19Click: 未実装");
}
void TForm1::Button20Click() {
    throw Exception("Button20Click: 未実装");
}
void TForm1::Button21Click() {
    throw Exception("Button21Click: 未実装");
}
void TForm1::Button22Click() {
    throw Exception("Button22Click: 未実装");
}
void TForm1::Button23Click() {
    throw Exception("Button23Click: 未実装");
}
