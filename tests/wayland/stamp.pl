# Copies standard input to RECORD as it arrives and writes one line per read to TIMES: the time in
# seconds and the number of UTF-8 characters the read held.
#   perl stamp.pl RECORD TIMES
use strict;
use warnings;
use IO::Handle;
use Time::HiRes qw(time);

open(my $record, '>', $ARGV[0]) or die "$ARGV[0]: $!";
open(my $times, '>', $ARGV[1]) or die "$ARGV[1]: $!";
binmode STDIN;
binmode $record;
$record->autoflush(1);
$times->autoflush(1);
while (sysread(STDIN, my $chunk, 4096)) {
    my $now = time;
    print $record $chunk;
    my $characters = () = $chunk =~ /[^\x80-\xbf]/g;
    printf $times "%.6f %d\n", $now, $characters;
}
