"""LZNT1 packing and unpacking, the format NTFS compresses files with.

Tresoro carries its info text packed in this format because Windows unpacks
it by itself (ntdll's RtlDecompressBuffer); the program's portable layer has
its own unpacker for the tests. This module is the build's packer, plus an
unpacker that follows the same rules, so that the build can check every
packed block before it goes into the program.

Layout: a run of chunks, one per 4096 bytes of input. Each chunk is a 16-bit
little-endian header (bit 15: packed; bits 12-14: the signature 3; bits
0-11: body size - 1) and its body. A packed body is a run of groups: one
flag byte and up to eight items, the lowest flag bit first; a clear bit is
a literal byte, a set bit a 16-bit copy token. The token's upper bits hold
distance - 1, its lower bits length - 3; how many bits the distance gets
depends on how much of the chunk is already unpacked (see copy_length_bits).
"""

CHUNK = 4096
# Candidates looked at per position: enough for text, bounded for odd input.
_MAX_CANDIDATES = 256


def copy_length_bits(unpacked_in_chunk):
    """Bits of a copy token that hold the length, when `unpacked_in_chunk`
    bytes (at least 1) of the chunk come before the copy: 12 up to 16 bytes,
    one fewer at each doubling, down to 4 for a full chunk."""
    bits = 12
    p = unpacked_in_chunk - 1
    while p >= 16:
        bits -= 1
        p >>= 1
    return bits


def _pack_chunk(chunk):
    """The packed body of one chunk (greedy longest match per position)."""
    out = bytearray()
    seen = {}  # 3-byte prefix -> positions in the chunk, oldest first
    n = len(chunk)
    pos = 0

    def remember(at):
        if at + 3 <= n:
            seen.setdefault(chunk[at:at + 3], []).append(at)

    while pos < n:
        flag_at = len(out)
        out.append(0)
        flags = 0
        for item in range(8):
            if pos >= n:
                break
            best_len = 0
            best_dist = 0
            if pos > 0 and n - pos >= 3:
                bits = copy_length_bits(pos)
                max_dist = 1 << (16 - bits)
                limit = min((1 << bits) - 1 + 3, n - pos)
                candidates = seen.get(chunk[pos:pos + 3], ())
                for cand in reversed(candidates[-_MAX_CANDIDATES:]):
                    dist = pos - cand
                    if dist > max_dist:
                        break
                    length = 3
                    # A copy may run into the bytes it produces itself.
                    while length < limit and chunk[cand + length] == chunk[pos + length]:
                        length += 1
                    if length > best_len:
                        best_len, best_dist = length, dist
                        if length == limit:
                            break
            if best_len >= 3:
                bits = copy_length_bits(pos)
                token = ((best_dist - 1) << bits) | (best_len - 3)
                out += token.to_bytes(2, "little")
                flags |= 1 << item
                for at in range(pos, pos + best_len):
                    remember(at)
                pos += best_len
            else:
                out.append(chunk[pos])
                remember(pos)
                pos += 1
        out[flag_at] = flags
    return bytes(out)


def pack(data):
    """Packs `data`; a chunk that would not get smaller is stored as it is."""
    out = bytearray()
    for start in range(0, len(data), CHUNK):
        chunk = data[start:start + CHUNK]
        body = _pack_chunk(chunk)
        if len(body) < len(chunk):
            out += (0xB000 | (len(body) - 1)).to_bytes(2, "little") + body
        else:
            out += (0x3000 | (len(chunk) - 1)).to_bytes(2, "little") + chunk
    return bytes(out)


class DamagedStream(Exception):
    pass


def unpack(packed):
    """Unpacks a whole stream; raises DamagedStream for a broken one."""
    out = bytearray()
    pos = 0
    first = True
    while len(packed) - pos >= 2:
        header = int.from_bytes(packed[pos:pos + 2], "little")
        if header == 0:
            break
        pos += 2
        size = (header & 0xFFF) + 1
        if size > len(packed) - pos:
            raise DamagedStream("chunk runs past the end")
        body = packed[pos:pos + size]
        pos += size
        if not first:
            out += bytes(-len(out) % CHUNK)  # a short chunk leaves zeros
        first = False
        start = len(out)
        if not header & 0x8000:
            out += body
            continue
        at = 0
        while at < len(body):
            flags = body[at]
            at += 1
            for _ in range(8):
                if at >= len(body):
                    break
                if flags & 1 == 0:
                    out.append(body[at])
                    at += 1
                else:
                    if len(body) - at < 2:
                        raise DamagedStream("copy token cut off")
                    token = int.from_bytes(body[at:at + 2], "little")
                    at += 2
                    done = len(out) - start
                    if done == 0:
                        raise DamagedStream("copy at the start of a chunk")
                    bits = copy_length_bits(done)
                    dist = (token >> bits) + 1
                    length = (token & ((1 << bits) - 1)) + 3
                    if dist > done:
                        raise DamagedStream("copy reaches before the chunk")
                    for _ in range(length):
                        out.append(out[-dist])
                flags >>= 1
            if len(out) - start > CHUNK:
                raise DamagedStream("chunk unpacks to more than 4096 bytes")
    return bytes(out)
