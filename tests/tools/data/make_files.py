#!/usr/bin/env python3
# Writes the small animation and controller files that the xamo tests read. Run it here after
# changing it; the files are checked in. Layouts: docs/file-formats.md.
import math, struct

def u32(v): return struct.pack('<I', v & 0xFFFFFFFF)
def u32s(vs): return b''.join(u32(v) for v in vs)
def mat(m): return struct.pack('<16f', *m)

I = [1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1]
c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
ROT_Y30_T123 = [c,0,-s,0, 0,1,0,0, s,0,c,0, 1,2,3,1]   # rotation of 30 degrees about Y, then (1, 2, 3)
SCALE_234 = [2,0,0,0, 0,3,0,0, 0,0,4,0, 0,0,0,1]

def anim(tracks, total, end=723):
    b = u32(8) + b'XAMOVELN' + u32(1000) + u32(0) + u32(0) + u32(len(tracks)) + struct.pack('<f', total)
    for keys in tracks:
        b += mat(I) + u32(len(keys))
        for t, m in keys:
            b += u32(t) + mat(m)
    return b + u32(end)

good = anim([[(0, I), (10, I), (50, I)],
             [(0, I), (20, ROT_Y30_T123), (40, SCALE_234)]], 40.0)
open('good.xam', 'wb').write(good)
open('truncated.xam', 'wb').write(good[:300])
open('extra.xam', 'wb').write(good + b'\0' * 8)
open('unordered.xam', 'wb').write(anim([[(0, I), (10, I)], [(0, I), (40, I), (20, I)]], 40.0))
open('overcount.xam', 'wb').write(good[:32 + 68 * 4 + 64] + u32(1000) + good[32 + 68 * 4 + 68:])  # track 1: 1000 keys
open('notxam.bin', 'wb').write(b'This is not an animation file.\n')

# Three limbs in the given update order: 1 under 0, 2 under 1; limb 1 inactive, limb 2 writes nowhere.
def oac(order):
    limbs = u32s([0, 0,0,0,  0, 0,0,1,  1, 0,0,0])  # parent, then child flags, of each limb
    return u32(6) + b'OACOBJ' + u32s([1000, 0, 0, 3, 0] + order) + limbs + u32s([1,0,1, 0,1,-1])

g = oac([0,1,2])
open('good.oac', 'wb').write(g)
open('badorder.oac', 'wb').write(oac([0,2,1]))

# Key times near 2^32: the total frames round up to 2^32 as a float.
open('late.xam', 'wb').write(anim([[(0, I), (1, I)], [(0, I), (0xFFFFFF80, I), (0xFFFFFFFF, I)]], 4294967296.0))
# Twelve tracks of two keys, cut off inside key 1 of track 9.
twelve = anim([[(0, I), (1, ROT_Y30_T123)]] * 12, 1.0)
open('cut.xam', 'wb').write(twelve[:36 + 68 * 3 * 9 + 68 + 68 + 30])
# Values that are not numbers, infinite or huge, in the angles and the position.
nan, inf = float('nan'), float('inf')
odd = [[(0, I), (5, [1,0,0,0, 0,1,0,0, 0,0,1,0, nan,inf,1e30,1]), (9, [nan]*16), (12, ROT_Y30_T123)]]
open('odd.xam', 'wb').write(anim([[(0, I), (1, I)]] + odd, 12.0))
# A controller file whose header claims 3037000498 limbs (16n + 4n² wraps around 2^64), and good.oac
# cut off inside the child flags of limb 1.
open('huge.oac', 'wb').write(g[:22] + u32(3037000498) + u32(0) + u32(0) * 4)
open('cut.oac', 'wb').write(g[:70])
