// TForm1: steps of the start and end sequences that belong to the subsystems the window
// drives. Each is called in its place already and takes effect as its subsystem lands.
#include "app/form1.h"

void TForm1::ShowDeviceInfo() {}

void TForm1::EnableTesterControls(bool /*enabled*/) {}

void TForm1::CDP1Packet(const QString& /*packet*/) {}
