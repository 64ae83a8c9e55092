#pragma once

// Placement of a window beside, or centred on, its owner.
enum TFormDirection { fdRight, fdCenter, fdLeft, fdLeftBottom, fdRightBottom, fdPrimaryCenter };

// A rectangle in screen pixels; Right and Bottom lie just past it, as the
// platform's rectangles have them.
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
};

struct TScreenPoint {
  int Left = 0;
  int Top = 0;
  bool operator==(const TScreenPoint&) const = default;
};

struct TOwnerPlacement {
  TFormDirection Direction = fdCenter;
  int W = 0;  // the window's size
  int H = 0;
  bool HasOwner = false;
  TScreenRect Owner;         // the owner's window rectangle
  int OwnerClientWidth = 0;  // its client width
  TScreenRect WorkArea;      // the work area of the owner's monitor
  TScreenRect Primary;       // the primary monitor, whole
};

// Where ShowOwner puts the window: beside or centred on the owner, then kept
// near the owner monitor's work area. Without an owner only the centred
// placements are possible; any other direction centres.
TScreenPoint PlaceBesideOwner(const TOwnerPlacement& p);

// How near a work area's edge a dragged window snaps to it.
inline constexpr int kSnapRange = 10;

// `position` of a window of W x H moved onto the work area's edges when it
// comes within the snap range of them.
TScreenPoint SnapToEdges(TScreenPoint position, int W, int H, const TScreenRect& area);

// Where a maximized window that is dragged by its caption bar comes back at
// its normal width: the pointer stays at the same share of the width as where
// the drag started, and the window moves down as far as the pointer has.
TScreenPoint RestoredUnderPointer(const TScreenRect& maximized, int normalWidth, TScreenPoint start,
                                  TScreenPoint pointer);
