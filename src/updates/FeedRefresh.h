#pragma once
class Connection;
class XmlDocument;

// The vendor-content refresh: the news table and the feed's advertisements are replaced by the
// records of a feed document. A table's delete and inserts commit together, so a short record
// or a failing statement leaves that table as it was. The texts are stored as the feed gives them
// (less their spaces, as every record's fields are read); failures throw AppError ("List index
// out of bounds (n)", the engine's message).
namespace FeedRefresh {

// Empties news and inserts one row (id, title) per record; the rows inserted.
int news(Connection &connection, const XmlDocument &feed);
// Deletes the advertisements of a type other than "0" (rows of type "0" or none stay) and
// inserts one row (picture, link, "1") per record; the rows inserted.
int advertisements(Connection &connection, const XmlDocument &feed);

} // namespace FeedRefresh
