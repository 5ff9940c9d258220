#pragma once

#include "core/photo/ShootingTime.h"
#include "ui/services/Replaceable.h"

#include <QByteArray>

// Reads when a file was taken (see ShootingTime.h), for the conversion
// list's shooting order and tooltips. Called on one thread at a time: the
// window's, or the one worker that reads a whole list. Tests put in a stand-in
// that takes its time, to meet the progress window and its 中止.
class ShootingTimeService : public ReplaceableService<ShootingTimeService> {
public:
    virtual ShootingTime read(const QByteArray& path) = 0;
    static ShootingTimeService& real();
};
