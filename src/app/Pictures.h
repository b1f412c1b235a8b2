#pragma once
// The program's pictures, painted at run time so that no image files need to
// ship: a night sky with a meteor streaking over a Yagi antenna (the about
// box's large picture and the window icon) and a small antenna with echo waves
// (the about box's second picture).

#include <QIcon>
#include <QPixmap>

QPixmap paintMeteorScene(int size);
QPixmap paintEchoAntenna(int size);
QIcon programIcon();
