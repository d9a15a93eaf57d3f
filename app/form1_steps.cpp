// TForm1: steps of the start and end sequences that belong to the subsystems the window
// drives. Each is called in its place already and takes effect as its subsystem lands.
#include "app/form1.h"

void TForm1::LoadSettings() {}

void TForm1::SaveSettings() {}

void TForm1::ShowDeviceInfo() {}

void TForm1::EnableTesterControls(bool /*enabled*/) {}

void TForm1::SetupPacketFramer() {}

void TForm1::ClosePortAtEnd() {}
