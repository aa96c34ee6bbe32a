// The media database service of the machine's media software: it indexes the music folders and answers
// queries with rows of numbered attributes.
#pragma once
#include <windows.h>
#include <oaidl.h>

inline constexpr CLSID kMediaDatabaseClassId = {
    0xdc81a76d, 0x4757, 0x4985, {0x90, 0x84, 0x08, 0xd0, 0xeb, 0x08, 0x55, 0xea}};
inline constexpr IID kMediaDatabaseInterfaceId = {
    0x49d80402, 0x5da0, 0x484b, {0x82, 0x17, 0xd3, 0x60, 0xaa, 0x32, 0xc1, 0x3f}};
// Rows come back through this interface of the same service.
inline constexpr IID kMediaRowSetInterfaceId = {
    0x49d80403, 0x5da0, 0x484b, {0x82, 0x17, 0xd3, 0x60, 0xaa, 0x32, 0xc1, 0x3f}};

inline constexpr HRESULT kMediaDatabaseBusy = HRESULT(0x8004201C);
inline constexpr HRESULT kMediaAttributeMissing = HRESULT(0x80042016);

// Attribute ids of the rows.
namespace media_attribute {
inline constexpr LONG kGroupName = -3;    // album rows: the album title
inline constexpr LONG kSongTitle = 211;   // song rows
inline constexpr LONG kArtist = 214;      // album artist (album rows), author (song rows)
inline constexpr LONG kIndexKey = 215;    // album rows
inline constexpr LONG kTrackingIds = 216; // song rows: its identifier; album rows: its songs', ';'-separated
inline constexpr LONG kSourcePath = 224;  // song rows
inline constexpr LONG kMarked = 132;      // album rows
inline constexpr LONG kJacketLarge = 506; // album rows: picture files, in the order they are tried
inline constexpr LONG kJacketSmall = 507;
inline constexpr LONG kJacketFolder = 504;
} // namespace media_attribute

struct IMediaRowSet : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;
    // kMediaAttributeMissing when the row lacks the attribute.
    virtual HRESULT STDMETHODCALLTYPE GetAttribute(LONG row, LONG attributeId, BSTR* value) = 0;
};

struct IMediaDatabase : public IUnknown {
    // kMediaDatabaseBusy while the database is not ready.
    virtual HRESULT STDMETHODCALLTYPE Open(LONG mode, LONG reserved1, LONG reserved2) = 0;
    // A SAFEARRAY of BSTR that the caller destroys.
    virtual HRESULT STDMETHODCALLTYPE GetMusicFolders(SAFEARRAY** folders) = 0;
    virtual HRESULT STDMETHODCALLTYPE QuerySongs(IMediaRowSet** rows) = 0;
    // `count` starts at -1 and receives the number of rows.
    virtual HRESULT STDMETHODCALLTYPE QueryAlbums(BSTR condition, LONG attributeCount, const LONG* attributeIds,
                                                  const LONG* flags, BSTR groupBy, LONG* count,
                                                  IMediaRowSet** rows) = 0;
};
