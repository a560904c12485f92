#include "app/form.h"

// Not built yet.
void TForm1::Button41Click() {
    throw Exception("Button41Click: 未実装");
}
void TForm1::Button26Click() {
    throw Exception("Button26Click: 未実装");
}
void TForm1::Button27Click() {
    throw Exception("Button27Click: 未実装");
}
void TForm1::Edit8Click() {
    throw Exception("Edit8Click: 未実装");
}
