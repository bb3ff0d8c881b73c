// The application's icon, drawn from data/numora.svg (built into the program) at the sizes a
// desktop asks for, so it is sharp on the title bar, the task bar and in the About box alike.
#pragma once

#include <QIcon>

namespace numora {

QIcon AppIcon();

}  // namespace numora
