// TForm1: the tester's write, from the value field or the input file; the session's tester
// run sends it and its repetitions.
#include "app/form1.h"

void TForm1::Button8Click() {
    if (!CaptureTesterSettings()) return;
    session_->Tester().StartWrite(enteredAddress_, enteredValue_);
}
