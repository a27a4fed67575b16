#include <cstdio>
#include <QGuiApplication>
#include "app/lib/Application.h"
#include "platform/QtPlatform.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QtPlatform platform;
    return RunLumivue(app, platform);
}
