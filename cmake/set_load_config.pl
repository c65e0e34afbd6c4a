#!/usr/bin/perl
# Usage: set_load_config.pl PROGRAM.exe PROGRAM.map
# GNU ld (binutils 2.40) links a 32-bit program's _load_config_used but leaves the PE header's
# load configuration entry empty, so Windows never reads the structure. This points the entry at
# it, with the address the link map gives and the size the structure states, and writes the
# header's checksum anew. Only Perl's core is used: perl-base is on every Debian system.
#
# Newer lld (LLVM 20 on) takes -Wl,--dependent-load-flag=0x800, the MinGW spelling of MSVC's
# /DEPENDENTLOADFLAG, and points the header at the structure itself. Linking with it, once lld
# keeps the unwind tables that CMakeLists.txt says it drops, makes this script unnecessary.
use strict;
use warnings;

my ($program, $map) = @ARGV;
die "usage: $0 PROGRAM.exe PROGRAM.map\n" unless defined $map;

open(my $in, '<:raw', $program) or die "$program: $!\n";
my $image = do { local $/; <$in> };
close $in;

my $pe = unpack('V', substr($image, 0x3c, 4));
die "$program: not a PE file\n" unless substr($image, $pe, 4) eq "PE\0\0";
my ($machine, $sectionCount, $optionalSize) = unpack('v v x12 v', substr($image, $pe + 4, 20));
my $optional = $pe + 24;
die "$program: not a 32-bit x86 program\n"
    unless $machine == 0x14c && unpack('v', substr($image, $optional, 2)) == 0x10b;
my $imageBase = unpack('V', substr($image, $optional + 28, 4));
die "$program: no room for the load configuration entry\n"
    unless unpack('V', substr($image, $optional + 92, 4)) > 10;

open(my $links, '<', $map) or die "$map: $!\n";
my ($address) = map { /^\s+0x([0-9a-f]+)\s+_{1,2}load_config_used\s*$/ ? hex($1) : () } <$links>;
close $links;
die "$map: no _load_config_used; is it linked with --undefined?\n" unless defined $address;
my $rva = $address - $imageBase;

# The file offset of the structure, from the section that holds it.
my $offset;
for my $i (0 .. $sectionCount - 1) {
    my ($virtualAddress, $rawSize, $rawOffset) =
        unpack('x12 V V V', substr($image, $optional + $optionalSize + 40 * $i, 40));
    if ($rva >= $virtualAddress && $rva + 4 <= $virtualAddress + $rawSize) {
        $offset = $rawOffset + $rva - $virtualAddress;
        last;
    }
}
die "$program: _load_config_used (RVA $rva) lies in no section\n" unless defined $offset;
my $size = unpack('V', substr($image, $offset, 4));
die "$program: _load_config_used states a size of $size bytes\n" if $size < 64 || $offset + $size > length $image;

# Entry 10 of the data directories. Windows takes the entry only when its size is the one the
# structure states.
substr($image, $optional + 96 + 8 * 10, 8) = pack('V V', $rva, $size);

# The checksum: 16-bit words added with end-around carry, the checksum field itself as zero,
# plus the file's length.
my $checksumAt = $optional + 64;
substr($image, $checksumAt, 4) = "\0\0\0\0";
my $sum = 0;
for my $word (unpack('v*', length($image) % 2 ? "$image\0" : $image)) {
    $sum += $word;
    $sum = ($sum & 0xffff) + ($sum >> 16);
}
substr($image, $checksumAt, 4) = pack('V', (($sum & 0xffff) + ($sum >> 16) + length $image) & 0xffffffff);

open(my $out, '>:raw', $program) or die "$program: $!\n";
print $out $image or die "$program: $!\n";
close $out or die "$program: $!\n";
