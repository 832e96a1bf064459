#pragma once
// Options that hold for a whole job, whichever file they were given with.

#include <string>
#include <vector>

struct TJobSettings {
    int Faudio_volume = 256;
    int Faudio_sync_method = 0;
    float Faudio_drift_threshold = 0.1f;
    float Fdts_delta_threshold = 10.0f;
    int Fvideo_sync_method = -1;
    int Fcopy_ts = 0;
    int Fcopy_tb = -1;
    int Fopt_shortest = 0;
    int Fexit_on_error = 0;
    int Fprint_stats = 1;
    int Finput_sync = 0;
    int Fdo_pkt_dump = 0;
    int Fdo_hex_dump = 0;
    // Accepted for compatibility; an existing output file is always overwritten.
    int Ffile_overwrite = 0;
    int Fno_file_overwrite = 0;
    int Floop_input = 0;
    int Floop_output = -1;

    // Codec names forced with -acodec, -vcodec, -scodec, -dcodec; they also choose
    // the decoder of the inputs opened afterwards.
    std::string Faudio_codec_name;
    std::string Fvideo_codec_name;
    std::string Fsubtitle_codec_name;
    std::string Fdata_codec_name;

    // Video only: stored as given, read by no audio job.
    int Fframe_bits_per_raw_sample = 0;
    int Fintra_only = 0;
    int Fvideo_discard = 0;
    int Fsame_quant = 0;
    int Fdo_deinterlace = 0;
    int Fdo_psnr = 0;
    int Fintra_dc_precision = 8;
    int Fqp_hist = 0;
    int Fdo_pass = 0;
    std::string Fpass_logfilename_prefix;
    std::string Fvstats_filename;
    std::vector<std::string> Fvideo_hooks;
    int FVideoHookBitsPixel = 24;
};
