#include "windows/render_settings.h"

#include "windows/docwin/draw_window.h"

bool gRenderMode = false;
bool gViewerMode = false;
QString gRenderOutDir;
bool gRenderBmp = false;
bool gRenderJpeg = false;
int32_t gRenderJpegQuality = 75;
bool gRenderPng = false;
bool gRenderTxt = false;
int32_t gViewerWait = 0;
QString gNotifySocket;

void resetRenderSettings()
{
    gRenderMode = false;
    gViewerMode = false;
    gRenderOutDir.clear();
    gRenderBmp = false;
    gRenderJpeg = false;
    gRenderJpegQuality = 75;
    gRenderPng = false;
    gRenderTxt = false;
    gViewerWait = 0;
    gNotifySocket.clear();
}

void initialiseWindows()
{
    TDrawWindow::resetProcessState();
}
