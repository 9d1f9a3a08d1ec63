// The oscilloscope program's entry point: one application object, then the framework's main.
#include "app/KelvaneApp.h"

int main(int argc, char** argv) {
    CKelvaneApp theApp;
    return AfxWinMain(argc, argv);
}
