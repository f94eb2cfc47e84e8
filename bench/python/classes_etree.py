#!/usr/bin/env python3
"""The classes of a qbXML response as upsert statements, written the way a
user would write them with the standard library's ElementTree: the baseline
that scripts/bench.sh compares the wizard's classes pass with.

usage: classes_etree.py RESPONSE_FILE USER
Prints the number of statements and of batches of 100 it made."""
import sys
import xml.etree.ElementTree as ET


def text(record, name, limit=0):
    node = record.find(name)
    value = node.text or "" if node is not None else ""
    if limit:
        value = value[:limit]
    return "'" + value.replace("'", "''") + "'"


def audit(stamp):
    # 2007-10-23T15:05:58-08:00 -> 10/23/2007 15:05:58
    return "'%s/%s/%s %s'" % (stamp[5:7], stamp[8:10], stamp[0:4], stamp[11:19])


def general(stamp):
    hour = int(stamp[11:13])
    suffix = "AM" if hour < 12 else "PM"
    hour = hour % 12 or 12
    return "'%d/%d/%s %d:%s %s'" % (int(stamp[5:7]), int(stamp[8:10]), stamp[0:4], hour,
                                    stamp[14:19], suffix)


def main():
    path, user = sys.argv[1], sys.argv[2]
    root = ET.parse(path).getroot()
    batch, batches, statements = [], 0, 0
    for position, record in enumerate(root.iter("ClassRet")):
        list_id = record.findtext("ListID", "")
        created = record.findtext("TimeCreated", "1899-12-30T00:00:00")
        modified = record.findtext("TimeModified", "1899-12-30T00:00:00")
        active = record.findtext("IsActive") in ("1", "true")
        level = int(record.findtext("Sublevel", "0")) + 1
        name, full = text(record, "Name", 31), text(record, "FullName", 159)
        values = [str(9000000 + position), "''", name, "''", "''", full, "''", "''", "''",
                  "-1" if active else "0", "''", str(level), text(record, "EditSequence"),
                  general(modified), text(record, "ListID"), audit(created), "'%s'" % user[:30],
                  "'%s'" % user[:50], audit(modified)]
        quoted_id = "'" + list_id.replace("'", "''") + "'"
        update = ("UPDATE ClassInfo SET [ClassName]=%s,[ClassFullName]=%s,[SubLevel]=%d,"
                  "[QBListID]=%s WHERE [QBListId] = %s" % (name, full, level, quoted_id,
                                                           quoted_id))
        if active:
            statement = ("IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = %s) "
                         "<= 0\r\n\tINSERT INTO ClassInfo ([ClassRowID],[ClassID],[ClassName],"
                         "[ClassCode],[ClassFullCode],[ClassFullName],[ClassFullRefID],"
                         "[ParentFullRefID],[ParentFullName],[Status],[ParentRefID],[SubLevel],"
                         "[QBEditSequence],[QBModifiedDate],[QBListID],[CreatedDate],[CreatedBy],"
                         "[UpdatedBy],[UpdatedDate]) VALUES (%s)\r\nElse\r\n\t%s\r\n"
                         % (quoted_id, ",".join(values), update))
        else:
            statement = update + "\r\n"
        batch.append(statement)
        statements += 1
        if len(batch) == 100:
            "".join(batch).encode("ascii", "replace")
            batch, batches = [], batches + 1
    if batch:
        "".join(batch).encode("ascii", "replace")
        batches += 1
    print(statements, batches)


if __name__ == "__main__":
    main()
