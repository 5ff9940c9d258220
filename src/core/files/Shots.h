#pragma once

#include "core/files/ListedFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

#include <functional>
#include <vector>

// One press of the shutter: the files a camera wrote for it under one name
// with different extensions (IMG_0005.CR2 and IMG_0005.JPG), and the files
// other programs keep beside them (sidecars: IMG_0005.xmp, IMG_0005.CR2.xmp,
// IMG_0005.THM). One row of the conversion list is one shot, so that its
// files move, sort and take one serial number together. With the setting
// that keeps shots together off, every listed file is a shot of its own.
struct Shot {
    // The listed files of the shot, in natural order of their names; the
    // first names the row. Never empty. A lone file, the row of nearly every
    // list, takes no allocation of its own: a card holds tens of thousands.
    QVarLengthArray<ListedFile, 1> members;
    // The sidecars that go with the members, in natural order; whether or not
    // their extension is on the list, they are not rows of their own.
    std::vector<ListedFile> sidecars;

    Shot() = default;
    // A file alone, as every listed file is while the setting is off.
    Shot(ListedFile file) { members.push_back(std::move(file)); }

    const ListedFile& first() const { return members.front(); }
    int fileCount() const { return int(members.size()) + int(sidecars.size()); }
    bool operator==(const Shot&) const = default;
};

// The length of the part of name before its last "." (the whole name where
// it has none): the stem that the files of a shot share, and that a new name
// replaces.
qsizetype stemLength(QByteArrayView name);

// Whether name is that of a sidecar: it ends in ".xmp" or ".thm", in any
// letter case.
bool isSidecarName(QByteArrayView name);

// The row's text: the first member's name and the other members'
// extensions, "IMG_0005.CR2 (+JPG)", "IMG_0005.CR2 (+JPG, HEIC)".
QString shotText(const Shot& shot);

// The time the list orders the shot by: the earliest Exif time among its
// members (corrected by its camera's clock offset), else the earliest time
// any member has (a file's own time); not known while no member's is.
const ShootingTime& shotTime(const Shot& shot);

// Every file a shot of its own, in the order given.
std::vector<Shot> oneShotEach(const std::vector<ListedFile>& files);

// Reads the shooting time of the listed file of this name.
using ShotTimeReader = std::function<ShootingTime(const QByteArray& name)>;

// The shots of a folder's files. files: the listed files, in natural order;
// sidecars: the folder's files whose names are sidecars' (isSidecarName)
// and that the list did not take, in natural order. Listed files whose names
// differ only in their extension, ASCII letter case ignored, are one shot,
// unless their Exif times tell two bodies apart (below). A sidecar goes with
// the shot whose stem its name is plus its own extension (IMG_0005.xmp,
// IMG_0005.THM), or with the member whose name it is plus its own extension
// (IMG_0005.CR2.xmp), letter case ignored; a listed file of that kind is
// then no row of its own. Other sidecars are left out.
//
// Two cameras may write the same names into one folder: files of one stem
// stay one shot only where their Exif times lie within a second of each
// other and the cameras the Exif data names (where both name one) agree.
// readTime is asked for the files that share a stem with another, and for
// no others (a folder of unique names costs no read at all); the times it
// gives go into the shots' records. Files of the stem without an Exif time go with
// the shot of its first file with one, and sidecars named after the stem go
// with the shot of its first file. The shots come in natural order of their
// first members.
std::vector<Shot> formShots(const std::vector<ListedFile>& files,
                            const std::vector<ListedFile>& sidecars,
                            const ShotTimeReader& readTime);
