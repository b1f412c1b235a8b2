#include "pipeline/Workspace.h"

Workspace::Workspace() {
    rows.init();
    hours.init();
    noObsLines.init();
    setDefaultSettings(settings);
}
