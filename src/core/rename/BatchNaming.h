#pragma once

#include "core/rename/DateFields.h"
#include "core/rename/RenamePlan.h"

#include <QByteArray>
#include <QByteArrayView>

// Whether the new names of a batch show the files' shooting times: a field
// in the prefix or suffix (own name + serial has neither). Reads the texts
// only as far as their first field.
bool namesShowShootingTimes(const RenameRequest& request);

// How the rows of a batch are named: the naming rule, the shooting-time
// fields of the prefix and suffix, and the serials, which may start again
// each day. A row is named as a whole: every file it holds takes its serial
// and its time.
class BatchNaming {
public:
    // start: the batch's first serial.
    BatchNaming(const RenameRequest& request, int start);

    // Whether the new names hold the rows' shooting times: a field in the
    // prefix or suffix (own name + serial has neither).
    bool usesTimes() const { return usesTimes_; }

    // The serial of the next row in list order, taken at time: one after the
    // row before, or start again where the serials start again each day, the
    // names show the day and this row's day is not the row's before it.
    int nextSerial(const ShootingTime& time);

    // Appends the new name of entry, a file of a row taken at time.
    void appendName(QByteArray& out, QByteArrayView entry, const ShootingTime& time, int serial,
                    int width) const;
    // The bytes a name adds to its entry's at most, for reserving room.
    qsizetype addedSize(int width) const;

private:
    bool ownName_;
    NameText prefix_;
    NameText suffix_;
    bool usesTimes_;
    bool restartEachDay_;
    int start_;
    int next_;
    qint64 previousDay_ = 0;
};
