#include "app/form.h"

// Not built yet.
void TForm1::FormCreate() {
    throw Exception("FormCreate: 未実装");
}
void TForm1::Button1Click() {
    throw Exception("Button1Click: 未実装");
}
void TForm1::Edit1KeyPress(char) {
    throw Exception("Edit1KeyPress: 未実装");
}
void TForm1::Edit2KeyPress(char) {
    throw Exception("Edit2KeyPress: 未実装");
}
void TForm1::Edit3KeyPress(char) {
    throw Exception("Edit3KeyPress: 未実装");
}
void TForm1::Edit6KeyPress(char) {
    throw Exception("Edit6KeyPress: 未実装");
}
void TForm1::Edit7KeyPress(char) {
    throw Exception("Edit7KeyPress: 未実装");
}
void TForm1::Edit1Exit() {
    throw Exception("Edit1Exit: 未実装");
}
void TForm1::Edit3Exit() {
    throw Exception("Edit3Exit: 未実装");
}
void TForm1::Edit1DblClick() {
    throw Exception("Edit1DblClick: 未実装");
}
void TForm1::Edit2DblClick() {
    throw Exception("Edit2DblClick: 未実装");
}
void TForm1::Edit3DblClick() {
    throw Exception("Edit3DblClick: 未実装");
}
void TForm1::Edit6DblClick() {
    throw Exception("Edit6DblClick: 未実装");
}
void TForm1::Edit7DblClick() {
    throw Exception("Edit7DblClick: 未実装");
}
void TForm1::Edit6Change() {
    throw Exception("Edit6Change: 未実装");
}
void TForm1::Edit7Change() {
    throw Exception("Edit7Change: 未実装");
}
void TForm1::Label1DblClick() {
    throw Exception("Label1DblClick: 未実装");
}
void TForm1::Label2DblClick() {
    throw Exception("Label2DblClick: 未実装");
}
void TForm1::Label3DblClick() {
    throw Exception("Label3DblClick: 未実装");
}
void TForm1::Button36Click() {
    throw Exception("Button36Click: 未実装");
}
