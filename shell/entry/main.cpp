#include <wx/init.h>

#include "shell/sheep_app.h"

int main(int argc, char** argv) {
    wxApp::SetInstance(new CSheepApp);
    return wxEntry(argc, argv);
}
